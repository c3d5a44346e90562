#include "cmd_target.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kBoth = 100;
constexpr UINT kBaseOnly = 101;
constexpr UINT kTwice = 102;
constexpr UINT kUnknown = 999;

class BaseTarget : public CCmdTarget {
public:
    std::string calls;

protected:
    void OnBoth() { calls += "base-both"; }
    void OnBaseOnly() { calls += "base-only"; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseTarget, CCmdTarget)
ON_COMMAND(kBoth, BaseTarget::OnBoth)
ON_COMMAND(kBaseOnly, BaseTarget::OnBaseOnly)
END_MESSAGE_MAP()

class DerivedTarget : public BaseTarget {
protected:
    void OnBoth() { calls += "derived-both"; }
    void OnFirst() { calls += "first"; }
    void OnSecond() { calls += "second"; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
ON_COMMAND(kBoth, DerivedTarget::OnBoth)
ON_COMMAND(kTwice, DerivedTarget::OnFirst)
ON_COMMAND(kTwice, DerivedTarget::OnSecond)
END_MESSAGE_MAP()

TEST(MessageMap, TheFirstEntryWinsAndTheBaseMapIsTheFallback) {
    const std::tuple<UINT, BOOL, const char*> cases[] = {
        {kBoth, TRUE, "derived-both"},
        {kBaseOnly, TRUE, "base-only"},
        {kTwice, TRUE, "first"},
        {kUnknown, FALSE, ""},
    };
    for (const auto& [id, handled, calls] : cases) {
        DerivedTarget target;
        EXPECT_EQ(target.OnCmdMsg(id, CN_COMMAND, nullptr), handled) << id;
        EXPECT_EQ(target.calls, calls) << id;
    }
    BaseTarget base;
    EXPECT_EQ(base.OnCmdMsg(kTwice, CN_COMMAND, nullptr), FALSE);
}

}  // namespace
