#include <gtest/gtest.h>

#include "base/Json.h"
#include "connections/EngineConnectionStore.h"
#include "fakes/FakeUserDefaults.h"

using namespace pellora;

namespace {

const std::string kKey = "pellora.engineConnections.v1";
const std::string kA = "11111111-1111-4111-8111-111111111111";
const std::string kB = "22222222-2222-4222-8222-222222222222";
const std::string kC = "33333333-3333-4333-8333-333333333333";

class EngineConnectionStoreTest : public ::testing::Test {
protected:
    Json saved() const { return Json::parse(*defaults.dataAsString(kKey)); }
    EngineConnectionStore load(const std::string& stored) {
        defaults.setDataString(kKey, stored);
        return EngineConnectionStore(defaults);
    }
    FakeUserDefaults defaults;
};

EngineConnection connection(const std::string& id, const std::string& origin,
                            std::optional<EngineConnectionColor> color = std::nullopt) {
    return EngineConnection{id, "Engine " + id.substr(0, 1), origin, color};
}

}  // namespace

TEST_F(EngineConnectionStoreTest, NothingStoredGivesAnEmptyListAndSavesAtOnce) {
    EngineConnectionStore store(defaults);
    EXPECT_TRUE(store.state().connections.empty());
    EXPECT_EQ(store.state().defaultID, std::nullopt);
    EXPECT_EQ(saved(), Json::parse(R"({"connections":[]})"));
}

TEST_F(EngineConnectionStoreTest, UnreadableDataIsReplacedByAnEmptyLocalDefault) {
    const std::string cases[] = {
        "not json",
        "[]",
        R"({"defaultID":")" + kA + R"("})",
        R"({"connections":{}})",
        R"({"connections":[{"name":"A","origin":"https://a.example"}]})",
        R"({"connections":[{"id":")" + kA + R"(","origin":"https://a.example"}]})",
        R"({"connections":[{"id":")" + kA + R"(","name":"A"}]})",
        R"({"connections":[{"id":"not-a-uuid","name":"A","origin":"https://a.example"}]})",
        R"({"connections":[{"id":")" + kA + R"(","name":7,"origin":"https://a.example"}]})",
        R"({"connections":[],"defaultID":"nope"})",
        "{\"connections\":[],\"x\":\"\xff\"}",
    };
    for (const auto& stored : cases) {
        auto store = load(stored);
        EXPECT_EQ(store.state(), EngineConnectionStore::State{}) << stored;
        EXPECT_EQ(saved(), Json::parse(R"({"connections":[]})")) << stored;
    }
}

TEST_F(EngineConnectionStoreTest, OldSelectionBecomesTheDefaultAndIsDroppedFromSavedData) {
    auto store = load(R"({"connections":[{"id":")" + kA +
                      R"(","name":"A","origin":"https://a.example","color":"teal"}],"selectedID":")" + kA + "\"}");
    EXPECT_EQ(store.state().defaultID, kA);
    EXPECT_EQ(store.state().selectedID, std::nullopt);
    EXPECT_EQ(saved(), Json::parse(R"({"connections":[{"id":")" + kA +
                                   R"(","name":"A","origin":"https://a.example","color":"teal"}],"defaultID":")" +
                                   kA + "\"}"));
}

TEST_F(EngineConnectionStoreTest, AnExistingDefaultWinsOverTheOldSelection) {
    auto store = load(R"({"connections":[],"defaultID":")" + kB + R"(","selectedID":")" + kA + "\"}");
    // Kept even though it names no saved connection: its users decide what that means.
    EXPECT_EQ(store.state().defaultID, kB);
    EXPECT_EQ(store.defaultConnection(), std::nullopt);
}

TEST_F(EngineConnectionStoreTest, ConnectionsWithoutColoursAreColouredInListOrder) {
    auto store = load(R"({"connections":[
        {"id":")" + kA + R"(","name":"A","origin":"https://a.example"},
        {"id":")" + kB + R"(","name":"B","origin":"https://b.example","color":null},
        {"id":")" + kC + R"(","name":"C","origin":"https://c.example","color":"plaid"}]})");
    ASSERT_EQ(store.state().connections.size(), 3u);
    EXPECT_EQ(store.state().connections[0].color, EngineConnectionColor::blue);
    EXPECT_EQ(store.state().connections[1].color, EngineConnectionColor::green);
    EXPECT_EQ(store.state().connections[2].color, EngineConnectionColor::amber);
    EXPECT_EQ(saved()["connections"][2]["color"], "amber");
}

TEST_F(EngineConnectionStoreTest, ColourFillCountsLaterColouredConnections) {
    auto store = load(R"({"connections":[
        {"id":")" + kA + R"(","name":"A","origin":"https://a.example"},
        {"id":")" + kB + R"(","name":"B","origin":"https://b.example","color":"blue"}]})");
    EXPECT_EQ(store.state().connections[0].color, EngineConnectionColor::green);
}

TEST_F(EngineConnectionStoreTest, OriginsThatNoLongerNormaliseAreDropped) {
    auto store = load(R"({"connections":[
        {"id":")" + kA + R"(","name":"A","origin":"https://A.example"},
        {"id":")" + kB + R"(","name":"B","origin":"https://b.example/"},
        {"id":")" + kC + R"(","name":"C","origin":"http://c.example:8080","color":"rose"},
        {"id":"44444444-4444-4444-8444-444444444444","name":"D","origin":"ftp://d.example"}]})");
    ASSERT_EQ(store.state().connections.size(), 1u);
    EXPECT_EQ(store.state().connections[0].id, kC);
}

TEST_F(EngineConnectionStoreTest, LowerCaseIdsAreSavedInUpperCase) {
    auto store = load(R"({"connections":[{"id":"aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee","name":"A",
        "origin":"https://a.example","color":"blue"}],"defaultID":"aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee"})");
    EXPECT_EQ(saved()["connections"][0]["id"], "AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE");
    EXPECT_EQ(saved()["defaultID"], "AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE");
    EXPECT_EQ(store.defaultConnection()->name, "A");
}

TEST_F(EngineConnectionStoreTest, SuggestColorPicksTheLeastUsedInPickerOrder) {
    EngineConnectionStore store(defaults);
    EXPECT_EQ(store.suggestColor(), EngineConnectionColor::blue);
    store.state().connections = {connection(kA, "https://a.example", EngineConnectionColor::blue),
                                 connection(kB, "https://b.example", EngineConnectionColor::blue),
                                 connection(kC, "https://c.example", EngineConnectionColor::green)};
    EXPECT_EQ(store.suggestColor(), EngineConnectionColor::amber);
    store.state().connections.push_back(connection(kC, "https://d.example"));  // uncoloured: not counted
    EXPECT_EQ(store.suggestColor(), EngineConnectionColor::amber);
}

TEST_F(EngineConnectionStoreTest, UpsertReplacesInPlaceOrAppendsAndSaves) {
    EngineConnectionStore store(defaults);
    store.upsert(connection(kA, "https://a.example"));
    store.upsert(connection(kB, "https://b.example"));
    auto renamed = connection(kA, "https://a.example", EngineConnectionColor::rose);
    renamed.name = "Renamed";
    store.upsert(renamed);
    ASSERT_EQ(store.state().connections.size(), 2u);
    EXPECT_EQ(store.state().connections[0], renamed);
    EXPECT_EQ(store.state().connections[1].color, EngineConnectionColor::green);
    EXPECT_EQ(saved()["connections"][0]["name"], "Renamed");
    EXPECT_EQ(EngineConnectionStore(defaults).state(), store.state());
}

TEST_F(EngineConnectionStoreTest, UpsertNeverSavesAnIdThatWouldMakeTheDataUnreadable) {
    EngineConnectionStore store(defaults);
    auto saved_connection = store.upsert(connection("", "https://a.example"));
    EXPECT_EQ(saved_connection.id.size(), 36u);
    store.upsert(connection("garbage", "https://b.example"));
    EXPECT_EQ(EngineConnectionStore(defaults).state().connections.size(), 2u);
}

TEST_F(EngineConnectionStoreTest, RemovingTheDefaultMakesTheLocalEngineTheDefault) {
    EngineConnectionStore store(defaults);
    store.upsert(connection(kA, "https://a.example"));
    store.upsert(connection(kB, "https://b.example"));
    store.state().defaultID = kA;
    store.save();
    store.remove(kB);
    EXPECT_EQ(store.state().defaultID, kA);
    store.remove(kA);
    EXPECT_TRUE(store.state().connections.empty());
    EXPECT_EQ(store.state().defaultID, std::nullopt);
    EXPECT_FALSE(saved().contains("defaultID"));
}
