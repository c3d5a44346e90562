#include "resource.h"
#include "resource_tables.h"
#include "standard_ids.h"

namespace {

constexpr glue::StringResource kStrings[] = {
    {IDP_SOCKETS_INIT_FAILED, "Windows 通信端口初始化失败。"},
    {IDR_MAINFRAME, "Vandrel\n\nVandre\n\n\nVandrel.Document\nVandre Document"},
    {ID_GET_ALL_IP, "ghjgfhjgfhj"},
    {AFX_IDS_APP_TITLE, "Vandrel net traffic"},
    {AFX_IDS_IDLEMESSAGE, "就绪"},

    {ID_FILE_NEW, "建立新文档\n新建"},
    {ID_FILE_OPEN, "打开一个现有文档\n打开"},
    {ID_FILE_CLOSE, "关闭活动文档\n关闭"},
    {ID_FILE_SAVE, "保存活动文档\n保存"},
    {ID_FILE_SAVE_AS, "将活动文档以一个新文件名保存\n另存为"},
    {ID_FILE_PAGE_SETUP, "改变打印选项\n页面设置"},
    {ID_FILE_PRINT_SETUP, "改变打印机及打印选项\n打印设置"},
    {ID_FILE_PRINT, "打印活动文档\n打印"},
    {ID_FILE_PRINT_PREVIEW, "显示整页\n打印预览"},
    {ID_FILE_MRU_FILE1 + 0, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 1, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 2, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 3, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 4, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 5, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 6, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 7, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 8, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 9, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 10, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 11, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 12, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 13, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 14, "打开该文档"},
    {ID_FILE_MRU_FILE1 + 15, "打开该文档"},
    {ID_EDIT_CLEAR, "删除被选对象\n删除"},
    {ID_EDIT_CLEAR_ALL, "全部删除\n全部删除"},
    {ID_EDIT_COPY, "复制被选对象并将其置于剪贴板上\n复制"},
    {ID_EDIT_CUT, "剪切被选对象并将其置于剪贴板上\n剪切"},
    {ID_EDIT_FIND, "查找指定的正文\n查找"},
    {ID_EDIT_PASTE, "插入剪贴板内容\n粘贴"},
    {ID_EDIT_REPEAT, "重复上一步操作\n重复"},
    {ID_EDIT_REPLACE, "用不同的正文替换指定的正文\n替换"},
    {ID_EDIT_SELECT_ALL, "选择整个文档\n选择全部"},
    {ID_EDIT_UNDO, "撤消最后一步操作\n撤消"},
    {ID_EDIT_REDO, "重新执行先前已撤消的操作\n重新执行"},
    {ID_WINDOW_SPLIT, "将活动的窗口分隔成窗格\n分隔"},
    {ID_APP_ABOUT, "显示程序信息，版本号和版权\n关于"},
    {ID_APP_EXIT, "退出应用程序；提示保存文档\n退出"},
    {ID_NEXT_PANE, "切换到下一个窗格\n下一窗格"},
    {ID_PREV_PANE, "切换回前一个窗格\n前一窗格"},
    {ID_VIEW_TOOLBAR, "显示或隐藏工具栏\n显隐工具栏"},
    {ID_VIEW_STATUS_BAR, "显示或隐藏状态栏\n显隐状态栏"},
    {AFX_IDS_PREVIEW_CLOSE, "关闭打印预览模式\n取消预阅"},

    {ID_INDICATOR_EXT, "扩展名"},
    {ID_INDICATOR_CAPS, "大写"},
    {ID_INDICATOR_NUM, "数字"},
    {ID_INDICATOR_SCRL, "滚动"},
    {ID_INDICATOR_OVR, "改写"},
    {ID_INDICATOR_REC, "记录"},

    {AFX_IDS_SCSIZE, "改变窗口大小"},
    {AFX_IDS_SCMOVE, "改变窗口位置"},
    {AFX_IDS_SCMINIMIZE, "将窗口缩小成图标"},
    {AFX_IDS_SCMAXIMIZE, "把窗口放大到最大尺寸"},
    {AFX_IDS_SCNEXTWINDOW, "切换到下一个文档窗口"},
    {AFX_IDS_SCPREVWINDOW, "切换到先前的文档窗口"},
    {AFX_IDS_SCCLOSE, "关闭活动的窗口并提示保存所有文档"},
    {AFX_IDS_SCRESTORE, "把窗口恢复到正常大小"},
    {AFX_IDS_SCTASKLIST, "激活任务表"},
};

}  // namespace

const std::span<const glue::StringResource> g_stringTable = kStrings;
