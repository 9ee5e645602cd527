// UX events and their delegates: the order of delivery, what counts as the same handler and the
// room of a list.
#include "support/scratchworkingfolder.h"
#include "ux/ux.control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct TRecorder
{
    std::vector<std::string>* pLog;
    const char* szName;

    void First(UX::TControl*, void*) { pLog->push_back(std::string(szName) + ".First"); }
    void Second(UX::TControl*, void*) { pLog->push_back(std::string(szName) + ".Second"); }
    void Third(UX::TControl*, void*) { pLog->push_back(std::string(szName) + ".Third"); }
};
} // namespace

TEST(UxEvents, TheFirstListRunsBeforeTheSecondEachInTheOrderHandlersWereAdded)
{
    std::vector<std::string> log;
    TRecorder a{&log, "a"};
    TRecorder b{&log, "b"};
    UX::TEvent event;
    event.Invoke(nullptr, nullptr);
    EXPECT_TRUE(log.empty()) << "empty lists do nothing";
    EXPECT_EQ(event.AddHandler(1, &b, &TRecorder::First), 0);
    EXPECT_EQ(event.AddHandler(0, &a, &TRecorder::First), 0);
    EXPECT_EQ(event.AddHandler(0, &b, &TRecorder::Second), 0);
    event.Invoke(nullptr, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"a.First", "b.Second", "b.First"}));
}

// Unlike a comparison of owners alone, a second member function of the same owner is a handler
// of its own; the same one again is not, and a third in a list is refused with a warning.
TEST(UxEvents, HandlersAreTheSameOnlyWithTheSameOwnerAndMemberFunctionAndAListHoldsTwo)
{
    TScratchWorkingFolder folder("uxevents");
    std::vector<std::string> log;
    TRecorder a{&log, "a"};
    UX::TEvent event;
    EXPECT_EQ(event.AddHandler(0, &a, &TRecorder::First), 0);
    EXPECT_EQ(event.AddHandler(0, &a, &TRecorder::First), 1);
    EXPECT_EQ(event.AddHandler(0, &a, &TRecorder::Second), 0);
    EXPECT_EQ(event.AddHandler(0, &a, &TRecorder::Third), 1);
    EXPECT_EQ(event.aList[0].GetCount(), 2u);
    event.Invoke(nullptr, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"a.First", "a.Second"}));
    EXPECT_NE(folder.SystemLog().find("UX::TEvent::AddHandler(): warning: a list holds 2 handlers"), std::string::npos);
}
