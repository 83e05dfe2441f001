#pragma once

// The windowing layer's public interface: one header per area, gathered here.

#include "shim-types.h"
#include "shim-kernel.h"
#include "shim-ini.h"
