#include "editor_fx_fixture.h"
