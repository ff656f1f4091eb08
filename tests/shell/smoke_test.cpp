#include <gtest/gtest.h>

#include "support/headless_program.h"

namespace {

using testing_support::HeadlessProgram;

TEST(Smoke, StartsPlaysAndStops) {
    HeadlessProgram p;
    p.start();
    EXPECT_EQ(p.gen().Caption(), "Vimbrel Pulse Generator 1.2");
    const auto frames = p.render(1000);
    ASSERT_EQ(frames.size(), 1000u);
    EXPECT_EQ(p.gen().LED.Brush(), ui::clGreen);
    p.gen().btnOFFClick(nullptr);
    p.pump();
    EXPECT_EQ(p.gen().LED.Brush(), ui::clMaroon);
}

}  // namespace
