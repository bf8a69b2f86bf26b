#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "zylcarto/support/component.h"

using namespace zylcarto;

TEST(ComponentState, KeptActionsRunByStageOncePerKeyAtTheEndOfLoading) {
    TComponentState S;
    std::string Log;
    S.RunOrKeep(1, "a", [&] { Log += "a"; });  // not loading: at once
    S.BeginLoading();
    S.RunOrKeep(1, "model", [&] { Log += "m1"; });
    S.RunOrKeep(0, "file", [&] { Log += "f"; });
    S.RunOrKeep(1, "zone", [&] { Log += "z"; });
    S.RunOrKeep(1, "model", [&] { Log += "m2"; });  // replaces m1, keeps its place
    EXPECT_EQ(Log, "a");
    EXPECT_TRUE(S.EndLoading());
    EXPECT_EQ(Log, "afm2z");
    EXPECT_FALSE(S.Loading());
    EXPECT_FALSE(S.EndLoading());

    S.BeginLoading();
    S.RunOrKeep(0, "file", [&] { Log += "never"; });
    S.SetDesigning(true);  // what was kept for loading does not run in a designer
    EXPECT_TRUE(S.EndLoading());
    EXPECT_EQ(Log, "afm2z");
}

TEST(ComponentState, AnActionThatRaisesEndsLoadingAndDropsTheRest) {
    TComponentState S;
    int Ran = 0;
    S.BeginLoading();
    S.RunOrKeep(0, "bad", [] { throw std::runtime_error("unreadable"); });
    S.RunOrKeep(1, "later", [&] { ++Ran; });
    EXPECT_THROW(S.EndLoading(), std::runtime_error);
    EXPECT_FALSE(S.Loading());
    EXPECT_FALSE(S.EndLoading());
    EXPECT_EQ(Ran, 0);
}
