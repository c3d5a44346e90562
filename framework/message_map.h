// Message maps: static per-class tables from a message or command id to a handler,
// each with a link to its base class's table. Used by every class that handles messages.
// Handlers are not virtual; the tables are searched up the base chain.
#pragma once

#include "runtime_class.h"
#include "win_types.h"

class CCmdTarget;
class CCmdUI;

using AFX_PMSG = void (CCmdTarget::*)();

inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_TIMER = 0x0113;

inline constexpr UINT CN_COMMAND = 0;
inline constexpr UINT CN_UPDATE_COMMAND_UI = 0xFFFFFFFF;
inline constexpr UINT BN_CLICKED = 0;

// The handler's signature, so the dispatcher can call it with the right arguments.
enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_vv,     // void ()
    AfxSig_vw,     // void (UINT_PTR)
    AfxSig_is,     // int (LPCREATESTRUCT)
    AfxSig_cmdui,  // void (CCmdUI*)
    AfxSig_bw,     // BOOL (UINT): a command handler told its id; FALSE passes the command on
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_* message, WM_COMMAND for commands and notifications
    UINT nCode;     // CN_* or control notification code
    UINT nID;       // command or control id; 0 for window messages
    AfxSig nSig;
    AFX_PMSG pfn;
    UINT nLastID = 0;  // a range nID..nLastID; 0 for one id
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Finds the first entry for (message, code, id) in pMap or its bases; null when none.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage, UINT nCode,
                                            UINT nID);

namespace glue {

// The handler of a table entry as its own type Pmf, the type the entry's macro stored.
template <typename Pmf>
Pmf HandlerAs(AFX_PMSG pfn) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
    return reinterpret_cast<Pmf>(pfn);
#pragma GCC diagnostic pop
}

}  // namespace glue

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

// A table stores each handler as an AFX_PMSG, which the dispatch casts back to the handler's
// own type (see glue::HandlerAs). That round trip is well defined, but GCC's cast-function-type
// warns of each cast; the warning is silenced inside the tables and that one cast only.
// clang-format off
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                     \
    _Pragma("GCC diagnostic push")                                 \
    _Pragma("GCC diagnostic ignored \"-Wcast-function-type\"")     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {            \
        return GetThisMessageMap();                                \
    }                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {              \
        using ThisClass [[maybe_unused]] = theClass;               \
        using TheBaseClass = baseClass;                            \
        static const AFX_MSGMAP_ENTRY entries[] = {
// clang-format on
#define END_MESSAGE_MAP()                                                             \
    { 0, 0, 0, AfxSig_end, nullptr }                                                  \
    }                                                                                 \
    ;                                                                                 \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &messageMap;                                                               \
    }                                                                                 \
    _Pragma("GCC diagnostic pop")

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, CN_COMMAND, static_cast<UINT>(id), AfxSig_vv, static_cast<AFX_PMSG>(&memberFxn)},

#define ON_COMMAND_EX(id, memberFxn)                           \
    {WM_COMMAND, CN_COMMAND, static_cast<UINT>(id), AfxSig_bw, \
     reinterpret_cast<AFX_PMSG>(static_cast<BOOL (CCmdTarget::*)(UINT)>(&memberFxn))},

#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn)                                    \
    {WM_COMMAND,                                                                      \
     CN_COMMAND,                                                                      \
     static_cast<UINT>(id),                                                           \
     AfxSig_bw,                                                                       \
     reinterpret_cast<AFX_PMSG>(static_cast<BOOL (CCmdTarget::*)(UINT)>(&memberFxn)), \
     static_cast<UINT>(idLast)},

#define ON_BN_CLICKED(id, memberFxn) \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), AfxSig_vv, static_cast<AFX_PMSG>(&memberFxn)},

#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                 \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, static_cast<UINT>(id), AfxSig_cmdui, \
     reinterpret_cast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(CCmdUI*)>(&memberFxn))},

// Window-message handlers are stored as CWnd members and cast back to that type to call.
#define ON_WM_TIMER()           \
    {WM_TIMER, 0, 0, AfxSig_vw, \
     reinterpret_cast<AFX_PMSG>(static_cast<void (CWnd::*)(UINT_PTR)>(&ThisClass::OnTimer))},

#define ON_WM_CREATE()           \
    {WM_CREATE, 0, 0, AfxSig_is, \
     reinterpret_cast<AFX_PMSG>( \
         static_cast<int (CWnd::*)(LPCREATESTRUCT)>(&ThisClass::OnCreate))},

#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::OnClose)},
