#include "cmd_target.h"

#include <gtest/gtest.h>

#include <string>

#include "cmd_ui.h"

namespace {

constexpr UINT kBoth = 100;
constexpr UINT kBaseOnly = 101;
constexpr UINT kDuplicated = 102;
constexpr UINT kUpdated = 103;
constexpr UINT kUnknown = 999;

class BaseTarget : public CCmdTarget {
public:
    std::string calls;

protected:
    void OnBoth() { calls += "base-both "; }
    void OnBaseOnly() { calls += "base-only "; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseTarget, CCmdTarget)
ON_COMMAND(kBoth, BaseTarget::OnBoth)
ON_COMMAND(kBaseOnly, BaseTarget::OnBaseOnly)
ON_COMMAND(kUpdated, BaseTarget::OnBaseOnly)
END_MESSAGE_MAP()

class DerivedTarget : public BaseTarget {
protected:
    void OnBoth() { calls += "derived-both "; }
    void OnFirst() { calls += "first "; }
    void OnSecond() { calls += "second "; }
    void OnUpdate(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
ON_COMMAND(kBoth, DerivedTarget::OnBoth)
ON_COMMAND(kDuplicated, DerivedTarget::OnFirst)
ON_COMMAND(kDuplicated, DerivedTarget::OnSecond)
ON_UPDATE_COMMAND_UI(kUpdated, DerivedTarget::OnUpdate)
END_MESSAGE_MAP()

TEST(MessageMap, DerivedEntriesWinAndTheBaseMapIsTheFallback) {
    struct Case {
        UINT id;
        BOOL handled;
        const char* calls;
    };
    const Case cases[] = {
        {kBoth, TRUE, "derived-both "},
        {kBaseOnly, TRUE, "base-only "},
        {kDuplicated, TRUE, "first "},
        {kUnknown, FALSE, ""},
    };
    for (const Case& c : cases) {
        DerivedTarget target;
        EXPECT_EQ(target.OnCmdMsg(c.id, CN_COMMAND, nullptr), c.handled) << c.id;
        EXPECT_EQ(target.calls, c.calls) << c.id;
    }
    BaseTarget base;
    EXPECT_EQ(base.OnCmdMsg(kDuplicated, CN_COMMAND, nullptr), FALSE);
    EXPECT_EQ(base.OnCmdMsg(kBoth, CN_COMMAND, nullptr), TRUE);
    EXPECT_EQ(base.calls, "base-both ");
}

TEST(MessageMap, UpdateHandlersDecideAndCommandsAloneEnable) {
    struct Case {
        UINT id;
        BOOL handled;
        bool enabled;
    };
    // kUpdated: the derived update handler disables it even though the base has a command.
    const Case cases[] = {
        {kUpdated, TRUE, false},
        {kBaseOnly, TRUE, true},
        {kUnknown, FALSE, false},
    };
    for (const Case& c : cases) {
        DerivedTarget target;
        CCmdUI ui(c.id);
        EXPECT_EQ(target.OnCmdMsg(c.id, CN_UPDATE_COMMAND_UI, &ui), c.handled) << c.id;
        EXPECT_EQ(ui.m_bEnabled, c.enabled) << c.id;
        EXPECT_EQ(target.calls, "") << "an update never runs the command";
    }
}

}  // namespace
