#include "resource.h"
#include "resource_tables.h"

namespace {

constexpr AFX_STRING_RESOURCE kStrings[] = {
    {IDP_SOCKETS_INIT_FAILED, "Windows 通信端口初始化失败。"},
    {IDR_MAINFRAME, "Vandrel\n\nVandre\n\n\nVandrel.Document\nVandre Document"},
    {ID_GET_ALL_IP, "ghjgfhjgfhj"},
    {AFX_IDS_APP_TITLE, "Vandrel net traffic"},
    {AFX_IDS_IDLEMESSAGE, "就绪"},
};

}  // namespace

const std::span<const AFX_STRING_RESOURCE> g_stringTable = kStrings;
