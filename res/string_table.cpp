// The program's string table.
#include "resource.h"
#include "resources.h"

namespace {

constexpr AFX_STRING_RESOURCE kStrings[] = {
    {IDP_SOCKETS_INIT_FAILED, "Windows 通信端口初始化失败。"},
    {IDR_MAINFRAME, "Vandrel\n\nVandre\n\n\nVandrel.Document\nVandre Document"},
    {ID_GET_ALL_IP, "ghjgfhjgfhj"},
    {AFX_IDS_APP_TITLE, "Vandrel net traffic"},
    {AFX_IDS_IDLEMESSAGE, "就绪"},
};

constexpr AFX_RESOURCES kResources = {kStrings};

}  // namespace

const AFX_RESOURCES& AfxGetResources() {
    return kResources;
}
