#include "resource_tables.h"

const AFX_RESOURCES& AfxGetResources() {
    static const AFX_RESOURCES resources = {g_stringTable, g_dialogTemplates, g_iconResources};
    return resources;
}
