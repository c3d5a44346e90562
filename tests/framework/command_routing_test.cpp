#include <gtest/gtest.h>

#include <vector>

#include "cmd_ui.h"

namespace {

constexpr UINT ID_BASE_ONLY = 100;
constexpr UINT ID_OVERRIDDEN = 101;
constexpr UINT ID_RANGE_FIRST = 110;
constexpr UINT ID_RANGE_LAST = 113;
constexpr UINT ID_DECLINED = 120;
constexpr UINT ID_UPDATE_ONLY = 130;
constexpr UINT ID_SILENT_UPDATE = 131;
constexpr UINT ID_TWICE = 140;

// Records which handler ran, for which id.
class Base : public CCmdTarget {
public:
    std::vector<std::pair<const char*, UINT>> m_calls;

protected:
    void OnBaseOnly() { m_calls.emplace_back("base", ID_BASE_ONLY); }
    void OnOverriddenInBase() { m_calls.emplace_back("base", ID_OVERRIDDEN); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Base, CCmdTarget)
ON_COMMAND(ID_BASE_ONLY, Base::OnBaseOnly)
ON_COMMAND(ID_OVERRIDDEN, Base::OnOverriddenInBase)
END_MESSAGE_MAP()

class Derived : public Base {
protected:
    void OnOverridden() { m_calls.emplace_back("derived", ID_OVERRIDDEN); }
    BOOL OnRange(UINT nID) {
        m_calls.emplace_back("range", nID);
        return TRUE;
    }
    BOOL OnDeclined(UINT nID) {
        m_calls.emplace_back("declined", nID);
        return FALSE;
    }
    void OnUpdateOnly(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
    void OnSilentUpdate(CCmdUI* /*pCmdUI*/) {}
    void OnFirst() { m_calls.emplace_back("first", ID_TWICE); }
    void OnSecond() { m_calls.emplace_back("second", ID_TWICE); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Derived, Base)
ON_COMMAND(ID_OVERRIDDEN, Derived::OnOverridden)
ON_COMMAND_EX_RANGE(ID_RANGE_FIRST, ID_RANGE_LAST, Derived::OnRange)
ON_COMMAND_EX(ID_DECLINED, Derived::OnDeclined)
ON_UPDATE_COMMAND_UI(ID_UPDATE_ONLY, Derived::OnUpdateOnly)
ON_UPDATE_COMMAND_UI(ID_SILENT_UPDATE, Derived::OnSilentUpdate)
ON_COMMAND(ID_TWICE, Derived::OnFirst)  // the first entry wins
ON_COMMAND(ID_TWICE, Derived::OnSecond)
END_MESSAGE_MAP()

TEST(CommandRouting, EachCommandReachesTheNearestHandlerUpTheMaps) {
    const struct {
        UINT nID;
        BOOL handled;
        const char* handler;  // null: none ran
    } cases[] = {
        {ID_BASE_ONLY, TRUE, "base"},
        {ID_OVERRIDDEN, TRUE, "derived"},
        {ID_RANGE_FIRST, TRUE, "range"},
        {ID_RANGE_LAST, TRUE, "range"},
        {ID_RANGE_FIRST - 1, FALSE, nullptr},
        {ID_RANGE_LAST + 1, FALSE, nullptr},
        {ID_DECLINED, FALSE, "declined"},
        {ID_UPDATE_ONLY, FALSE, nullptr},
        {ID_TWICE, TRUE, "first"},
    };
    for (const auto& c : cases) {
        Derived target;
        EXPECT_EQ(target.OnCmdMsg(c.nID, CN_COMMAND, nullptr), c.handled) << c.nID;
        if (c.handler == nullptr) {
            EXPECT_TRUE(target.m_calls.empty()) << c.nID;
        } else {
            ASSERT_EQ(target.m_calls.size(), 1u) << c.nID;
            EXPECT_STREQ(target.m_calls[0].first, c.handler);
            EXPECT_EQ(target.m_calls[0].second, c.nID);
        }
    }
}

TEST(CommandRouting, ItemsAreEnabledExactlyWhereRoutingAnswersForThem) {
    const struct {
        UINT nID;
        bool enabled;
    } cases[] = {
        {ID_BASE_ONLY, true},      // a command handler enables its items
        {ID_RANGE_LAST, true},     //
        {ID_UPDATE_ONLY, true},    // an update handler decides
        {ID_SILENT_UPDATE, true},  // one that says nothing leaves the item as it was
        {999, false},              // nobody answers: disabled
    };
    for (const auto& c : cases) {
        Derived target;
        CCmdUI item(c.nID);
        item.m_bEnabled = true;
        item.DoUpdate(&target);
        EXPECT_EQ(item.m_bEnabled, c.enabled) << c.nID;
        EXPECT_TRUE(target.m_calls.empty()) << "an update ran a command";
    }
    Derived target;
    CCmdUI pane(999);
    pane.m_bEnabled = true;
    pane.DoUpdate(&target, FALSE);
    EXPECT_TRUE(pane.m_bEnabled) << "items that keep their state when nobody answers";
}

}  // namespace
