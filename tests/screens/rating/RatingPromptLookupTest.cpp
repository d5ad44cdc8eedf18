// The rating prompt's store look-up against a real HTTP server on 127.0.0.1: what it asks,
// what it stores, when it shows the alert, and every failure ending cleanly.
#include <atomic>
#include <optional>

#include "RatingPromptFixture.h"
#include "support/LoopbackHttpServer.h"

namespace {

using Answer = LoopbackHttpServer::Answer;

std::string Entry(const std::string& bundle, const std::string& trackId, const std::string& version = "1.9",
                  int genre = 6008) {
    return R"({"bundleId": ")" + bundle + R"(", "trackId": )" + trackId + R"(, "version": ")" + version +
           R"(", "primaryGenreId": )" + std::to_string(genre) + "}";
}

std::string Results(const std::string& entries) { return R"({"resultCount": 1, "results": [)" + entries + "]}"; }

class RatingPromptLookup : public RatingPromptFixture {
protected:
    void SetUp() override {
        RatingPromptFixture::SetUp();
        lookupAddress = server.base();
    }
    // A launched prompt whose rule says yes only when asked.
    RatingPrompt& Ready() {
        RatingPrompt& p = Launch();
        p.setPromptAtLaunch(false);
        delegate.told.clear();
        return p;
    }
    void LookUp() {
        prompt->promptIfNetworkAvailable();
        AwaitOutcome();
    }

    LoopbackHttpServer server{[](const std::string&) { return Answer{}; }};
};

// The first look-up asks by bundle identifier and stores the store's id; later ones ask by id.
// The last of several results counts; the genre picks the message; a newer store version or
// another application's entry keeps the alert away.
TEST_F(RatingPromptLookup, AsksByBundleThenByIdAndPromptsWhenTheStoreKnowsThisVersion) {
    std::string body =
        Results(Entry("com.other.app", "1") + "," + Entry("com.quorvin.tavorin", "\"12345\"", "1.9", 6014));
    server.setScript([&body](const std::string&) { return LoopbackHttpServer::reply(200, body); });
    Ready();
    LookUp();
    EXPECT_EQ(server.targets(), std::vector<std::string>{"/US/lookup?bundleId=com.quorvin.tavorin"});
    EXPECT_EQ(prompt->appStoreID(), 12345u);
    EXPECT_EQ(prompt->appStoreGenreID(), RatingPrompt::kGameGenreID);
    ASSERT_NE(prompt->visibleAlert(), nullptr);
    EXPECT_NE(prompt->visibleAlert()->message().find("If you enjoy playing Tavorin,"), std::string::npos);
    EXPECT_EQ(delegate.told, std::vector<std::string>{"prompted"});
    prompt->visibleAlert()->dismissWithClickedButtonIndex(1, false);
    EXPECT_EQ(opened, std::vector<std::string>{"https://store.test/review/12345"});

    struct Row {
        const char* name;
        std::string body;
        long code;  // of the error; 0: prompts
    };
    const Row rows[] = {
        {"store newer", Results(Entry("com.quorvin.tavorin", "12345", "1.10")), 3},
        {"another bundle", Results(Entry("com.other.app", "12345")), 1},
        {"same version", Results(Entry("com.quorvin.tavorin", "12345", "1.9")), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Ready();
        prompt->setRatingsURL("");
        delegate.errors.clear();
        body = row.body;
        LookUp();
        EXPECT_EQ(server.targets().back(), "/US/lookup?id=12345");
        if (row.code) {
            ASSERT_EQ(delegate.errors.size(), 1u);
            EXPECT_EQ(delegate.errors[0]->domain(), RatingPromptErrorDomain);
            EXPECT_EQ(delegate.errors[0]->code(), row.code);
            EXPECT_EQ(prompt->visibleAlert(), nullptr);
        } else {
            EXPECT_TRUE(delegate.errors.empty());
            EXPECT_NE(prompt->visibleAlert(), nullptr);
        }
    }

    // The address's pieces are encoded; a country that is not two letters is left out.
    Ready();
    store->removeObject(RatingPrompt::kAppStoreIDKey);
    prompt->setApplicationBundleID("com.quorvin/t v&x");
    prompt->setAppStoreCountry("U/");
    EXPECT_EQ(prompt->lookupURL(), server.base() + "/lookup?bundleId=com.quorvin%2Ft%20v%26x");
}

// Every failure ends with the flag cleared, the delegate told once, a log line, no alert, and
// a new look-up possible; a redirect to a good answer succeeds.
TEST_F(RatingPromptLookup, FailuresEndCleanly) {
    const std::string good = Results(Entry("com.quorvin.tavorin", "777"));
    std::optional<int> refusedPort;
    {
        LoopbackHttpServer gone([](const std::string&) { return Answer{}; });
        refusedPort = gone.port();
    }
    struct Row {
        const char* name;
        std::function<Answer(const std::string&)> script;
        std::string domain;
        long code;  // -1: any
    };
    const auto redirect = [](std::string to) { return Answer{302, "", {"Location: " + to}}; };
    const auto json = [](std::string body) {
        return [body](const std::string&) { return LoopbackHttpServer::reply(200, body); };
    };
    const Row rows[] = {
        {"404", [](const std::string&) { return LoopbackHttpServer::reply(404, "no"); }, HTTPResponseErrorDomain, 404},
        {"500", [](const std::string&) { return LoopbackHttpServer::reply(500, ""); }, HTTPResponseErrorDomain, 500},
        {"204", [](const std::string&) { return LoopbackHttpServer::reply(204, ""); }, HTTPResponseErrorDomain, 204},
        {"six redirects",
         [&](const std::string& t) {
             const int n = t.rfind("/r", 0) == 0 ? std::stoi(t.substr(2)) : 0;
             return redirect("/r" + std::to_string(n + 1));
         },
         HTTPClientErrorDomain, -1},
        {"redirect to another scheme", [&](const std::string&) { return redirect("ftp://127.0.0.1/x"); },
         HTTPClientErrorDomain, -1},
        {"bad JSON", json("{\"results\": ["), RatingPromptJSONErrorDomain, 1},
        {"top-level array", json("[1, 2]"), RatingPromptJSONErrorDomain, 1},
        {"results an object", json(R"({"results": {}})"), RatingPromptJSONErrorDomain, 1},
        {"results empty", json(R"({"results": []})"), RatingPromptErrorDomain, 2},
        {"no results", json(R"({"resultCount": 0})"), RatingPromptErrorDomain, 2},
        {"last entry not an object", json(R"({"results": [)" + Entry("com.quorvin.tavorin", "5") + ", 7]}"),
         RatingPromptErrorDomain, 2},
        {"negative id", json(Results(Entry("com.quorvin.tavorin", "-5"))), RatingPromptErrorDomain, 2},
        {"id in words", json(Results(Entry("com.quorvin.tavorin", "\"five\""))), RatingPromptErrorDomain, 2},
        {"fractional id", json(Results(Entry("com.quorvin.tavorin", "5.5"))), RatingPromptErrorDomain, 2},
        {"id past 64 bits", json(Results(Entry("com.quorvin.tavorin", "\"99999999999999999999999\""))),
         RatingPromptErrorDomain, 2},
        {"stall past the timeout",
         [](const std::string&) {
             return Answer{200, "", {}, true};
         },
         HTTPClientErrorDomain, -1},
        {"body over the cap",
         [](const std::string&) {
             return LoopbackHttpServer::reply(200, std::string(HTTPClient::kMaximumBody + 10, ' '));
         },
         HTTPClientErrorDomain, HTTPClient::kBodyTooLarge},
        {"refused connection", nullptr, HTTPClientErrorDomain, -1},
        {"no endpoint", nullptr, RatingPromptErrorDomain, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string name = row.name;
        lookupAddress = name == "refused connection" ? "http://127.0.0.1:" + std::to_string(*refusedPort)
                        : name == "no endpoint"      ? std::string()
                                                     : server.base();
        if (row.script) server.setScript(row.script);
        const size_t asked = server.targets().size();
        Ready();
        prompt->setLookupTimeout(0.5);
        delegate.errors.clear();
        logs.clear();
        LookUp();
        EXPECT_FALSE(prompt->checkingForPrompt());
        ASSERT_EQ(delegate.errors.size(), 1u);
        EXPECT_EQ(delegate.errors[0]->domain(), row.domain);
        if (row.code >= 0) {
            EXPECT_EQ(delegate.errors[0]->code(), row.code);
        }
        EXPECT_TRUE(Logged("RatingPrompt rating process failed because: "));
        EXPECT_EQ(prompt->visibleAlert(), nullptr);
        if (name == "no endpoint") {
            EXPECT_EQ(server.targets().size(), asked) << "nothing asked";
        }
        // A new look-up is possible.
        server.setScript(json(good));
        lookupAddress = server.base();
        Ready();
        delegate.errors.clear();
        store->removeObject(RatingPrompt::kAppStoreIDKey);
        LookUp();
        EXPECT_TRUE(delegate.errors.empty());
        EXPECT_NE(prompt->visibleAlert(), nullptr);
        store->removeObject(RatingPrompt::kAppStoreIDKey);
    }

    // A redirect to a good answer succeeds.
    server.setScript([&](const std::string& t) {
        return t == "/final" ? LoopbackHttpServer::reply(200, good) : redirect("/final");
    });
    Ready();
    delegate.errors.clear();
    LookUp();
    EXPECT_TRUE(delegate.errors.empty());
    EXPECT_EQ(prompt->appStoreID(), 777u);
    EXPECT_NE(prompt->visibleAlert(), nullptr);

    // A look-up that finds nothing counts as success when a custom store page is set.
    server.setScript(json(R"({"results": []})"));
    Ready();
    store->removeObject(RatingPrompt::kAppStoreIDKey);
    prompt->setRatingsURL("https://example.test/rate");
    LookUp();
    EXPECT_TRUE(delegate.errors.empty());
    EXPECT_NE(prompt->visibleAlert(), nullptr);
}

// A second request while a look-up runs is ignored; the prompt destroyed during a stalled
// look-up returns, and no outcome runs afterwards.
TEST_F(RatingPromptLookup, DestroyedDuringAStalledLookUp) {
    std::atomic<int> asked{0};
    server.setScript([&](const std::string&) {
        ++asked;
        return Answer{200, "", {}, true};
    });
    Ready();
    prompt->setLookupTimeout(60);
    prompt->promptIfNetworkAvailable();
    prompt->promptIfNetworkAvailable();
    for (int i = 0; i < 5000 && asked == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(prompt->checkingForPrompt());
    prompt.reset();
    loop.runUntilIdle();
    EXPECT_TRUE(delegate.errors.empty());
    EXPECT_TRUE(delegate.told.empty());
    EXPECT_EQ(asked, 1);
}

}  // namespace
