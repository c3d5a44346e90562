// A bar of the main frame (toolbar or status bar) that can be shown, hidden and docked.
// Created by the frame's OnCreate; the frame finds it by its id and updates its items on idle.
// The frame's widget owns the bar's widget; the bar must not outlive the frame.
#pragma once

#include "dialog_template.h"
#include "wnd.h"

class CFrameWnd;

inline constexpr DWORD CBRS_BORDER_TOP = 0x0200;
inline constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
inline constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
inline constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
inline constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
inline constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
inline constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
inline constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
inline constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;
inline constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;
inline constexpr DWORD CBRS_TOOLTIPS = 0x0010;
inline constexpr DWORD CBRS_FLYBY = 0x0020;
inline constexpr DWORD CBRS_GRIPPER = 0x00400000;

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    ~CControlBar() override;

    UINT GetDlgCtrlID() const { return m_nID; }
    DWORD GetBarStyle() const { return m_dwStyle; }
    // The sides (CBRS_ALIGN_*) this bar may be docked to; 0 keeps it where it is.
    void EnableDocking(DWORD dwDockStyle);
    DWORD GetDockStyle() const { return m_dwDockStyle; }
    // Shown, whether or not its frame is.
    bool IsVisible() const;

    // Enables (or checks) each item as the frame's command routing answers.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget) = 0;

protected:
    CControlBar() = default;
    // Takes ownership of widget and joins the frame pParentWnd, which must be a CFrameWnd.
    BOOL CreateBar(CWnd* pParentWnd, QWidget* widget, DWORD dwStyle, UINT nID);

    CFrameWnd* m_pDockSite = nullptr;
    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;
    UINT m_nID = 0;
};
