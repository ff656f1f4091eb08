// The settings store in memory that vpg-render runs on.

#include "platform/portable/memory_registry.h"

#include <gtest/gtest.h>

namespace {

using persistence::RegistryValue;
using persistence::ValueKind;
using portable::MemoryRegistry;

TEST(MemoryRegistry, AKeyOpensOnlyOnceItExists) {
    MemoryRegistry registry;
    EXPECT_EQ(registry.OpenKey("\\Software\\Maker"), 0u);
    const persistence::RegKey made = registry.CreateKey("\\Software\\Maker");
    ASSERT_NE(made, 0u);
    const persistence::RegKey opened = registry.OpenKey("\\Software\\Maker");
    ASSERT_NE(opened, 0u);
    EXPECT_NE(opened, made);
    EXPECT_EQ(registry.openHandles(), 2);
    registry.CloseKey(made);
    registry.CloseKey(opened);
    EXPECT_EQ(registry.openHandles(), 0);
}

TEST(MemoryRegistry, WhatIsWrittenReadsBackWithItsKind) {
    MemoryRegistry registry;
    const persistence::RegKey key = registry.CreateKey("\\P");
    EXPECT_TRUE(registry.SetValue(key, "Text", RegistryValue::Text("44100")));
    EXPECT_TRUE(registry.SetValue(key, "Number", RegistryValue::Integer(-3)));
    EXPECT_TRUE(registry.SetValue(key, "Number", RegistryValue::Integer(7)));
    EXPECT_EQ(registry.writes(), 3);
    EXPECT_EQ(registry.QueryValue(key, "Text"), RegistryValue::Text("44100"));
    const auto number = registry.QueryValue(key, "Number");
    ASSERT_TRUE(number.has_value());
    EXPECT_EQ(number->kind, ValueKind::Integer);
    EXPECT_EQ(number->integer, 7);
    EXPECT_FALSE(registry.QueryValue(key, "Missing").has_value());
    // Another handle on the same key sees the same values.
    EXPECT_EQ(registry.QueryValue(registry.OpenKey("\\P"), "Text"), RegistryValue::Text("44100"));
}

TEST(MemoryRegistry, AClosedOrUnknownHandleReadsAndWritesNothing) {
    MemoryRegistry registry;
    const persistence::RegKey key = registry.CreateKey("\\P");
    ASSERT_TRUE(registry.SetValue(key, "A", RegistryValue::Integer(1)));
    registry.CloseKey(key);
    for (const persistence::RegKey stale : {key, persistence::RegKey{0}, key + 100}) {
        EXPECT_FALSE(registry.QueryValue(stale, "A").has_value());
        EXPECT_FALSE(registry.SetValue(stale, "B", RegistryValue::Integer(2)));
    }
    EXPECT_EQ(registry.writes(), 1);
    EXPECT_EQ(registry.keys["\\P"].size(), 1u);
}

}  // namespace
