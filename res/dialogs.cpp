#include "resource.h"
#include "resource_tables.h"

const std::span<const AFX_DLGTEMPLATE> g_dialogTemplates;
