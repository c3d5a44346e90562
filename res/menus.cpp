#include "resource.h"
#include "resource_tables.h"
#include "standard_ids.h"

namespace {

constexpr glue::MenuItem kSeparator = {MF_SEPARATOR, 0, nullptr};

constexpr glue::MenuItem kFile[] = {
    {0, ID_FILE_NEW, "新建(&N)\tCtrl+N"},
    {0, ID_FILE_OPEN, "打开(&O)...\tCtrl+O"},
    {0, ID_FILE_SAVE, "保存(&S)\tCtrl+S"},
    {0, ID_FILE_SAVE_AS, "另存为(&A)..."},
    kSeparator,
    {0, ID_FILE_PRINT, "打印(&P)...\tCtrl+P"},
    {0, ID_FILE_PRINT_PREVIEW, "打印预览(&V)"},
    {0, ID_FILE_PRINT_SETUP, "打印设置(&R)..."},
    kSeparator,
    {MF_GRAYED, ID_FILE_MRU_FILE1, "最近文件"},
    kSeparator,
    {0, ID_APP_EXIT, "退出(&X)"},
};

constexpr glue::MenuItem kEdit[] = {
    {0, ID_EDIT_UNDO, "撤消(&U)\tCtrl+Z"},  kSeparator,
    {0, ID_EDIT_CUT, "剪切(&T)\tCtrl+X"},   {0, ID_EDIT_COPY, "复制(&C)\tCtrl+C"},
    {0, ID_EDIT_PASTE, "粘贴(&P)\tCtrl+V"},
};

constexpr glue::MenuItem kView[] = {
    {0, ID_VIEW_TOOLBAR, "工具栏(&T)"},
    {0, ID_VIEW_STATUS_BAR, "状态栏(&S)"},
};

constexpr glue::MenuItem kHelp[] = {
    {0, ID_APP_ABOUT, "关于 Vandrel(&A)..."},
};

constexpr glue::MenuItem kNetConfig[] = {
    {0, ID_GET_ALL_IP, "Get all IP address"},
    {0, ID_GET_NETINFO, "get netinfo"},
};

constexpr glue::MenuItem kReceiver[] = {
    {0, ID_UNICAST_RECEIVED, "UniCast Received"},
    {0, ID_MULTICAST_RECEIVED, "Multicast Received"},
};

constexpr glue::MenuItem kNoUse[] = {
    {0, ID_TEST_LIST_VECTOR, "Test list or vector"},
    {0, ID_TEST_CREGKEY, "Test CregKey"},
};

constexpr glue::MenuItem kMulticastSend[] = {
    {0, ID_SET_DESTIP, "Set DestIP"},
};

constexpr glue::Popup kMainMenu[] = {
    {"文件(&F)", kFile},
    {"编辑(&E)", kEdit},
    {"查看(&V)", kView},
    {"帮助(&H)", kHelp},
    {"Local netConfig", kNetConfig},
    {"Receiver", kReceiver},
    {"No use", kNoUse},
    {"Multicast Send", kMulticastSend},
};

constexpr glue::Menu kMenus[] = {
    {IDR_MAINFRAME, kMainMenu},
};

}  // namespace

const std::span<const glue::Menu> g_menus = kMenus;
