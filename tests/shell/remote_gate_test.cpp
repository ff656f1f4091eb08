// Where other programs' messages reach the main window: nothing runs before start-up has
// finished or inside one of the program's boxes; the sender hears "busy" instead.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/headless_program.h"

namespace {

using testing_support::HeadlessProgram;
using vpg::RemoteOutcome;

TEST(RemoteGate, MessagesDuringTheWelcomeNoticeAreBusyAndDoNothing) {
    HeadlessProgram p('.', /*suppressWelcome=*/false);
    p.hp.dialogs.answerNotice(ui::mrNo, false);
    std::vector<RemoteOutcome> during;
    p.hp.dialogs.whileOpen = [&] {
        for (std::uint32_t m : {1024u, 1031u, 1025u})
            during.push_back(p.program.DeliverRemoteMessage(m, 44100, 0));
    };
    p.program.Startup();
    EXPECT_EQ(during, std::vector<RemoteOutcome>(3, RemoteOutcome::Busy));
    p.hp.dialogs.whileOpen = nullptr;
    // Created, loaded, but not yet shown: still starting.
    EXPECT_EQ(p.program.DeliverRemoteMessage(1024, 0, 0), RemoteOutcome::Busy);
    EXPECT_FALSE(p.out().Active);
    EXPECT_EQ(p.gen().fInitLeft.Text(), "100");
    p.program.ShowMainWindow();
    EXPECT_EQ(p.program.DeliverRemoteMessage(1024, 0, 0), RemoteOutcome::Acted);
    p.pump();
    EXPECT_TRUE(p.out().Active);
    EXPECT_EQ(p.program.DeliverRemoteMessage(1025, 0, 0), RemoteOutcome::Acted);
    EXPECT_FALSE(p.out().Active);
}

TEST(RemoteGate, BoxesDoNotStackAndNothingRunsInsideOne) {
    HeadlessProgram p;
    p.start();
    // The sound device refuses: 1024 opens the error box; eleven more arrive while it is open.
    p.hp.waveOut.failNext(doubles::FakeWaveOut::Call::Open, audio::MMSYSERR_ALLOCATED);
    std::vector<RemoteOutcome> inside;
    p.hp.dialogs.whileOpen = [&] {
        for (int i = 0; i < 11; ++i) inside.push_back(p.program.DeliverRemoteMessage(1024, 0, 0));
        inside.push_back(p.program.DeliverRemoteMessage(1034, 25, 0));
    };
    // The output did not start, so the sender hears that it was refused.
    EXPECT_EQ(p.program.DeliverRemoteMessage(1024, 0, 0), RemoteOutcome::Refused);
    EXPECT_EQ(inside, std::vector<RemoteOutcome>(12, RemoteOutcome::Busy));
    EXPECT_EQ(p.hp.dialogs.messages().size(), 1u);  // one box, not twelve
    EXPECT_NE(p.gen().Duration.Text(), "2.5");
    p.hp.dialogs.whileOpen = nullptr;
    EXPECT_EQ(p.program.DeliverRemoteMessage(1034, 25, 0), RemoteOutcome::Acted);
    EXPECT_EQ(p.gen().Duration.Text(), "2.5");
}

TEST(RemoteGate, StartSignalRefusesASamplingRateOfZeroOrLess) {
    for (const int rate : {0, -44100}) {
        HeadlessProgram p;
        p.start();
        p.gen().Parameters.SampleRate = rate;
        p.gen().startsignal();
        p.pump();
        EXPECT_FALSE(p.out().Active) << rate;
        EXPECT_TRUE(p.hp.dialogs.calls.empty()) << rate;
    }
}

TEST(RemoteGate, AnEndedSessionSavesAsExitDoesWithoutAsking) {
    HeadlessProgram p;
    p.start();
    p.gen().fInitLeft.userTyped("321");
    p.gen().btnONClick(nullptr);
    p.pump();
    ASSERT_TRUE(p.out().Active);
    EXPECT_TRUE(p.program.EndSession());
    EXPECT_FALSE(p.out().Active);
    EXPECT_FALSE(p.program.Running());
    EXPECT_EQ(p.hp.registry.keys[vpg::ProgramKey()].at("fInitLeft"),
              persistence::RegistryValue::Text("321"));
    EXPECT_EQ(p.program.DeliverRemoteMessage(1024, 0, 0), RemoteOutcome::Busy);

    // A save that fails asks nothing either: nobody is there to answer.
    HeadlessProgram q;
    q.start();
    q.hp.registry.denyCreate = true;
    EXPECT_FALSE(q.program.EndSession());
    EXPECT_TRUE(q.hp.dialogs.calls.empty());
    EXPECT_FALSE(q.program.Running());
}

TEST(RemoteGate, ARemoteControlThatCannotStartIsSaidInTheWindow) {
    HeadlessProgram p;
    p.start();
    p.program.TellRemoteControlOff("refusing /tmp/x for the remote-control socket: it is a link");
    EXPECT_EQ(p.hp.dialogs.messages(),
              std::vector<std::string>{"Other programs cannot control this generator (vpg-send): "
                                       "refusing /tmp/x for the remote-control socket: it is a "
                                       "link"});
}

TEST(RemoteGate, ASessionEndedBeforeStartUpFinishedSavesNothing) {
    HeadlessProgram p;
    EXPECT_TRUE(p.program.EndSession());
    EXPECT_EQ(p.hp.registry.writes(), 0);
}

}  // namespace
