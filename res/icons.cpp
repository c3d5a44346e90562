#include "resource.h"
#include "resource_tables.h"

const std::span<const AFX_IMAGE_RESOURCE> g_iconResources;
