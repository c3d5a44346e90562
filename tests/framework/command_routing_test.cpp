#include <gtest/gtest.h>

#include "cmd_ui.h"

namespace {

enum : UINT { ID_BASE_ONLY = 100, ID_OVERRIDDEN, ID_RANGE_FIRST = 110, ID_RANGE_LAST = 113 };
enum : UINT { ID_DECLINED = 120, ID_UPDATE_ONLY = 130, ID_SILENT_UPDATE };

// Records which handler ran, for which id.
class Base : public CCmdTarget {
public:
    std::string m_calls;

protected:
    void OnBase() { m_calls += "base"; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Base, CCmdTarget)
ON_COMMAND(ID_BASE_ONLY, Base::OnBase)
ON_COMMAND(ID_OVERRIDDEN, Base::OnBase)
END_MESSAGE_MAP()

class Derived : public Base {
protected:
    void OnOverridden() { m_calls += "derived"; }
    BOOL OnRange(UINT nID) {
        m_calls += nID == ID_DECLINED ? "declined" : "range " + std::to_string(nID);
        return nID != ID_DECLINED;
    }
    void OnUpdateOnly(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
    void OnSilentUpdate(CCmdUI* /*pCmdUI*/) {}

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Derived, Base)
ON_COMMAND(ID_OVERRIDDEN, Derived::OnOverridden)
ON_COMMAND_EX_RANGE(ID_RANGE_FIRST, ID_RANGE_LAST, Derived::OnRange)
ON_COMMAND_EX(ID_DECLINED, Derived::OnRange)
ON_UPDATE_COMMAND_UI(ID_UPDATE_ONLY, Derived::OnUpdateOnly)
ON_UPDATE_COMMAND_UI(ID_SILENT_UPDATE, Derived::OnSilentUpdate)
END_MESSAGE_MAP()

const std::tuple<UINT, BOOL, const char*, bool> kCases[] = {
    // id, handled, the handler that ran, enabled by an update (from enabled)
    {ID_BASE_ONLY, TRUE, "base", true},  // a command handler enables its items
    {ID_OVERRIDDEN, TRUE, "derived", true},
    {ID_RANGE_FIRST, TRUE, "range 110", true},
    {ID_RANGE_LAST, TRUE, "range 113", true},
    {ID_RANGE_FIRST - 1, FALSE, "", false},  // nobody answers: disabled
    {ID_RANGE_LAST + 1, FALSE, "", false},
    {ID_DECLINED, FALSE, "declined", true},
    {ID_UPDATE_ONLY, FALSE, "", true},    // an update handler decides
    {ID_SILENT_UPDATE, FALSE, "", true},  // one that says nothing leaves the item as it was
};

TEST(CommandRouting, EachCommandReachesTheNearestHandler) {
    for (const auto& [nID, handled, handler, enabled] : kCases) {
        Derived target;
        EXPECT_EQ(target.OnCmdMsg(nID, CN_COMMAND, nullptr), handled) << nID;
        EXPECT_EQ(target.m_calls, handler);
    }
}

// An item that keeps its state (a status pane) is left as it was when nobody answers.
TEST(CommandRouting, AnItemIsEnabledByItsUpdateHandlerOrElseByACommandHandler) {
    for (const auto& [nID, handled, handler, enabled] : kCases) {
        for (const BOOL bDisableIfNoHandler : {TRUE, FALSE}) {
            Derived target;
            CCmdUI item(nID);
            item.m_bEnabled = true;
            item.DoUpdate(&target, bDisableIfNoHandler);
            EXPECT_EQ(item.m_bEnabled, enabled || !bDisableIfNoHandler) << nID;
            EXPECT_EQ(target.m_calls, "") << "an update ran a command";
        }
    }
}

}  // namespace
