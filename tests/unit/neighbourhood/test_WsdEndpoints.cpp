#include "neighbourhood/wsd/WsdEndpoints.h"

#include <gtest/gtest.h>

namespace wsd = neighbourhood::wsd;

namespace {

const char kOurs[] = "urn:uuid:probe";
const wsd::TypeName kDevice{"http://schemas.xmlsoap.org/ws/2006/02/devprof", "Device"};
const wsd::TypeName kComputer{"http://schemas.microsoft.com/windows/pub/2005/07", "Computer"};
const wsd::TypeName kPrinter{"http://schemas.microsoft.com/windows/2006/08/wdp/print",
                             "PrintDeviceType"};

wsd::Matches Answer(const std::string& endpoint, std::vector<wsd::TypeName> types,
                    std::vector<std::string> xaddrs = {}, const std::string& relatesTo = kOurs) {
    return {relatesTo, {{endpoint, std::move(types), std::move(xaddrs)}}};
}

std::vector<std::string> Urls(wsd::Endpoints& endpoints) {
    std::vector<std::string> urls;
    for (const wsd::Fetch& fetch : endpoints.TakeFetches()) {
        urls.push_back(fetch.endpoint + " " + fetch.url);
    }
    return urls;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(WsdEndpoints, FollowsComputersFromProbeMatchToName) {
    wsd::Endpoints endpoints;
    endpoints.ProbeSent(kOurs);
    // Someone else's probe, a printer, a computer with and one without an address to ask.
    endpoints.OnProbeMatches(Answer("e:other", {kDevice, kComputer}, {}, "urn:uuid:theirs"),
                             {10, 0, 0, 9}, 0);
    endpoints.OnProbeMatches(Answer("e:printer", {kDevice, kPrinter}), {10, 0, 0, 5}, 0);
    endpoints.OnProbeMatches(Answer("e:direct", {kDevice, kComputer}, {"http://10.0.0.3:5357/d"}),
                             {10, 0, 0, 3}, 1);
    endpoints.OnProbeMatches(Answer("e:resolve", {kDevice, kComputer}), {10, 0, 0, 4}, 2);
    // Copies and answers to later rounds change nothing, not even the address.
    endpoints.OnProbeMatches(Answer("e:resolve", {kDevice, kComputer}), {10, 0, 0, 99}, 0);
    EXPECT_EQ(endpoints.NeedingResolve(), Strings{"e:resolve"});
    EXPECT_EQ(endpoints.LinkOf("e:resolve"), 2);
    EXPECT_EQ(Urls(endpoints), Strings{"e:direct http://10.0.0.3:5357/d"});

    for (const char* asked : {"e:printer", "e:unknown", "e:resolve"}) {
        endpoints.ResolveSent(std::string("r:") + asked, asked);
    }
    endpoints.OnResolveMatches(
        Answer("e:printer", {kPrinter}, {"http://10.0.0.5/p"}, "r:e:printer"));
    endpoints.OnResolveMatches(
        Answer("e:unknown", {kComputer}, {"http://10.0.0.7/u"}, "r:e:unknown"));
    endpoints.OnResolveMatches(
        Answer("e:resolve", {kComputer}, {"http://10.0.0.4:5357/r"}, "r:e:resolve"));
    EXPECT_TRUE(endpoints.NeedingResolve().empty());
    EXPECT_EQ(Urls(endpoints), Strings{"e:resolve http://10.0.0.4:5357/r"});
    EXPECT_TRUE(Urls(endpoints).empty()); // each once

    endpoints.OnComputer("e:direct", {"DIRECT", "WORK|GROUP", false, "Direct\x01"});
    endpoints.OnComputer("e:direct", {"AGAIN", "", false, ""});
    endpoints.OnComputer("e:resolve", {"\x7F", "CORP", true, ""}); // nothing left of the name
    endpoints.OnComputer("e:printer", {"PRINTER", "", false, ""});
    endpoints.OnComputer("e:unknown", {"UNKNOWN", "", false, ""});
    const auto computers = endpoints.Computers();
    ASSERT_EQ(computers.size(), 1u);
    EXPECT_EQ(computers[0].name, "DIRECT");
    EXPECT_EQ(computers[0].group, "WORK_GROUP");
    EXPECT_EQ(computers[0].comment, "Direct");
    EXPECT_EQ(computers[0].address, (platform::Ipv4Address{10, 0, 0, 3}));
}

TEST(WsdEndpoints, ResolvesToLearnTypesAndGivesUpOnUselessAnswers) {
    wsd::Endpoints endpoints;
    endpoints.ProbeSent(kOurs);
    endpoints.OnProbeMatches(Answer("e:untyped", {}), {10, 0, 0, 1}, 0);
    endpoints.OnProbeMatches(Answer("e:v6", {kComputer}), {10, 0, 0, 2}, 0);
    EXPECT_EQ(endpoints.NeedingResolve(), (Strings{"e:untyped", "e:v6"}));
    endpoints.ResolveSent("r:1", "e:untyped");
    endpoints.ResolveSent("r:2", "e:v6");
    endpoints.OnResolveMatches(Answer("e:untyped", {kComputer}, {"http://10.0.0.1/u"}, "r:1"));
    endpoints.OnResolveMatches(Answer("e:v6", {kComputer}, {"http://[fe80::1]:5357/v"}, "r:2"));
    EXPECT_TRUE(endpoints.NeedingResolve().empty());
    EXPECT_EQ(Urls(endpoints), Strings{"e:untyped http://10.0.0.1/u"});
}

TEST(WsdEndpoints, AsksOnlyTheHostThatAnswered) {
    const platform::Ipv4Address host{10, 232, 0, 11};
    EXPECT_EQ(wsd::UrlForHost({"http://[fe80::1]/a", "https://10.232.0.11/b",
                               "http://10.232.0.12:5357/c", "HTTP://10.232.0.11:5357/d"},
                              host),
              "HTTP://10.232.0.11:5357/d");
    // User information, a port that is none, other hosts in disguise.
    for (const std::string url :
         {"http://10.232.0.11:80@192.0.2.1/", "http://10.232.0.11@192.0.2.1/",
          "http://10.232.0.11:x/", "http://10.232.0.11:/", "http://10.232.0.11.example/",
          "http://10.232.0.110/", "http://", "10.232.0.11"}) {
        EXPECT_EQ(wsd::UrlForHost({url}, host), "") << url;
    }
    EXPECT_EQ(wsd::UrlForHost({"http://10.232.0.11"}, host), "http://10.232.0.11");
    EXPECT_EQ(wsd::UrlForHost({"http://10.232.0.11?x"}, host), "http://10.232.0.11?x");
}

TEST(WsdEndpoints, KeepsNoMoreEndpointsThanItsLimit) {
    wsd::Endpoints endpoints(2);
    endpoints.ProbeSent(kOurs);
    for (const char* name : {"e:1", "e:2", "e:3"}) {
        endpoints.OnProbeMatches(Answer(name, {kComputer}), {10, 0, 0, 1}, 0);
    }
    EXPECT_EQ(endpoints.NeedingResolve(), (Strings{"e:1", "e:2"}));
    EXPECT_EQ(endpoints.LinkOf("e:3"), -1);
}

TEST(WsdEndpoints, APeerCanNeitherAnswerForAnotherNorCrowdItOut) {
    // ResolveMatches that no Resolve of ours asked for, or that answer for another endpoint
    // than the one asked about: the endpoint stays unresolved.
    const std::pair<std::string, std::string> strays[] = {
        {"", "e:real"}, {"r:unknown", "e:real"}, {"r:other", "e:real"}};
    for (const auto& [relatesTo, endpoint] : strays) {
        wsd::Endpoints endpoints;
        endpoints.ProbeSent(kOurs);
        endpoints.OnProbeMatches(Answer("e:real", {kComputer}), {10, 0, 0, 4}, 0);
        endpoints.OnProbeMatches(Answer("e:other", {kComputer}), {10, 0, 0, 5}, 0);
        endpoints.ResolveSent("r:other", "e:other");
        endpoints.OnResolveMatches(
            Answer(endpoint, {kComputer}, {"http://10.0.0.4:5357/r"}, relatesTo));
        EXPECT_EQ(endpoints.NeedingResolve(), (Strings{"e:other", "e:real"})) << relatesTo;
        EXPECT_TRUE(Urls(endpoints).empty()) << relatesTo;
    }

    // One source that answers with a thousand endpoints fills only its share.
    wsd::Endpoints endpoints;
    endpoints.ProbeSent(kOurs);
    wsd::Matches flood{kOurs, {}};
    for (int i = 0; i < 1000; ++i) {
        flood.matches.push_back({"e:fake" + std::to_string(i), {kComputer}, {}});
    }
    endpoints.OnProbeMatches(flood, {10, 0, 0, 66}, 0);
    endpoints.OnProbeMatches(Answer("e:real", {kComputer}), {10, 0, 0, 4}, 0);
    const Strings pending = endpoints.NeedingResolve();
    EXPECT_EQ(pending.size(), wsd::kMaxEndpointsPerPeer + 1);
    EXPECT_EQ(pending.back(), "e:real");
}
