#include "resource_tables.h"

const glue::ResourceTables& VandrelResources() {
    static const glue::ResourceTables resources = {
        g_stringTable,  g_dialogTemplates, g_iconResources,   g_menus,
        g_accelerators, g_toolBars,        g_bitmapResources, g_versionInfo,
    };
    return resources;
}
