#pragma once

// The windowing layer's public interface: one header per area, gathered here.

#include "shim-types.h"
#include "shim-msgs.h"
#include "shim-dlg.h"
#include "shim-misc.h"
#include "shim-wnd.h"
#include "shim-controls.h"
#include "shim-dlggen.h"
#include "shim-listview.h"
#include "shim-treeview.h"
#include "shim-kb.h"
#include "shim-menu.h"
#include "shim-defproc.h"
#include "shim-dragdrop.h"
#include "shim-miscdlg.h"
#include "shimappmain.h"
#include "shim-appstub.h"
#include "shim-kernel.h"
#include "shim-ini.h"
#include "shim-gdi.h"
#include "shim-gdi-draw.h"
