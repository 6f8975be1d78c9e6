#include <gtest/gtest.h>

#include "connections/EngineWindowContext.h"

using namespace pellora;

namespace {
const EngineConnection kRemote{"11111111-1111-4111-8111-111111111111", "Lab", "https://lab.example",
                               EngineConnectionColor::teal};
const EngineConnection kOther{"22222222-2222-4222-8222-222222222222", "Other", "https://other.example",
                              EngineConnectionColor::blue};
}  // namespace

TEST(EngineWindowContext, CreateInheritsTheOtherContextsConnectionEvenWhenLocal) {
    auto remote = EngineWindowContext::create(nullptr, kRemote);
    EXPECT_EQ(remote->connection(), kRemote);
    EngineWindowContext local;
    EXPECT_EQ(EngineWindowContext(&local, kOther).connection(), std::nullopt);
    EngineWindowContext inherited(remote.get(), kOther);
    EXPECT_EQ(inherited.connection(), kRemote);
    EXPECT_NE(inherited.revision(), remote->revision());
    EXPECT_EQ(inherited.revision().size(), 36u);
}

TEST(EngineWindowContext, UpdateOnlyAcceptsTheSameConnectionAtTheSameOrigin) {
    EngineWindowContext context(nullptr, kRemote);
    const std::string revision = context.revision();

    EngineConnection renamed = kRemote;
    renamed.name = "Lab 2";
    renamed.color = EngineConnectionColor::rose;
    EXPECT_TRUE(context.update(renamed));
    EXPECT_EQ(context.connection(), renamed);

    EngineConnection moved = renamed;
    moved.origin = "https://elsewhere.example";
    EXPECT_FALSE(context.update(moved));
    EXPECT_FALSE(context.update(kOther));
    EXPECT_EQ(context.connection(), renamed);
    EXPECT_EQ(context.revision(), revision);

    EngineWindowContext local;
    EXPECT_FALSE(local.update(kRemote));
    EXPECT_EQ(local.connection(), std::nullopt);
}

TEST(EngineWindowContext, RebindRenewsTheRevisionEvenForTheSameConnection) {
    EngineWindowContext context(nullptr, kRemote);
    std::string first = context.revision();
    context.rebind(kRemote);
    std::string second = context.revision();
    context.rebind(std::nullopt);
    EXPECT_NE(first, second);
    EXPECT_NE(second, context.revision());
    EXPECT_EQ(context.connection(), std::nullopt);
}
