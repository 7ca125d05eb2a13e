// Autostart through the privileged object: identifiers, the elevation moniker, the result
// messages, and one request from creation to release.
#include <gtest/gtest.h>

#include "app/privileged_object.h"

TEST(PrivilegedObject, IdentifiersAndMonikerText) {
    EXPECT_EQ(GuidText(CLSID_QuillarPrivilegedObject), "{A57FB97D-28BA-42D7-A4D8-787E199A360E}");
    EXPECT_EQ(GuidText(IID_IQuillarPrivilegedObject), "{830BDEBB-497E-4079-9D77-57D827F07066}");
    EXPECT_EQ(GuidText(ComGuid{0x1, 0x2, 0x3, {0, 0, 0, 0, 0, 0, 0, 0xA}}), "{00000001-0002-0003-0000-00000000000A}");
    EXPECT_EQ(ElevationMonikerText(CLSID_QuillarPrivilegedObject),
              "Elevation:Administrator!new:{A57FB97D-28BA-42D7-A4D8-787E199A360E}");
}

TEST(PrivilegedObject, ResultMessages) {
    EXPECT_FALSE(AutoStartResultMessage(0).has_value());
    const auto efail = AutoStartResultMessage(kEFail);
    ASSERT_TRUE(efail.has_value());
    EXPECT_EQ(efail->caption, "Failed");
    EXPECT_EQ(efail->text, "Autostart could not be enabled.");
    EXPECT_EQ(AutoStartResultMessage(kSFalse)->text, "Unexpected error. Code: 0x00000001");
    EXPECT_EQ(AutoStartResultMessage(static_cast<int32_t>(0x80070005))->text, "Unexpected error. Code: 0x80070005");
    EXPECT_EQ(ComErrorText(static_cast<int32_t>(0x80040154), ""), "COM error 0x80040154");
}

namespace {

// Records the request's steps in order: the call, the boxes, the release.
struct FakeObject : PrivilegedObject {
    std::vector<std::string>& log;
    int32_t result;
    FakeObject(std::vector<std::string>& log, int32_t result) : log(log), result(result) {}
    ~FakeObject() override { log.push_back("release"); }
    int32_t SetAutoStart(const std::string& name, bool enable) override {
        log.push_back("SetAutoStart " + name + " " + (enable ? "1" : "0"));
        return result;
    }
};

struct FakeSource : PrivilegedObjectSource {
    std::vector<std::string>& log;
    int32_t result, createError;
    FakeSource(std::vector<std::string>& log, int32_t result, int32_t createError)
        : log(log), result(result), createError(createError) {}
    std::unique_ptr<PrivilegedObject> Create() override {
        if (createError) throw EComError(createError, "Class not registered");
        return std::make_unique<FakeObject>(log, result);
    }
};

struct Request {
    bool succeeded;
    std::vector<std::string> calls;
    std::vector<std::string> boxes;
};

Request RunRequest(int32_t result, bool enable, int32_t createError = 0) {
    Request r;
    FakeSource source(r.calls, result, createError);
    r.succeeded = RequestAutoStart(source, enable, [&](const std::string& caption, const std::string& text) {
        r.calls.push_back("box");
        r.boxes.push_back(caption + "|" + text);
    });
    return r;
}

}  // namespace

TEST(RequestAutoStart, SuccessCallsOnceAndReleases) {
    const Request r = RunRequest(0, true);
    EXPECT_TRUE(r.succeeded);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"SetAutoStart Quillar 1", "release"}));
    EXPECT_TRUE(r.boxes.empty());
    EXPECT_EQ(RunRequest(0, false).calls.front(), "SetAutoStart Quillar 0");
}

TEST(RequestAutoStart, FailingResultsShowTheirBoxBeforeRelease) {
    const Request efail = RunRequest(kEFail, false);
    EXPECT_FALSE(efail.succeeded);
    EXPECT_EQ(efail.calls, (std::vector<std::string>{"SetAutoStart Quillar 0", "box", "release"}));
    EXPECT_EQ(efail.boxes, (std::vector<std::string>{"Failed|Autostart could not be enabled."}));
    const Request sfalse = RunRequest(kSFalse, true);
    EXPECT_FALSE(sfalse.succeeded) << "S_FALSE is not success";
    EXPECT_EQ(sfalse.boxes, (std::vector<std::string>{"Failed|Unexpected error. Code: 0x00000001"}));
}

TEST(RequestAutoStart, CreationFailureShowsTheInstantiationBoxOnly) {
    const Request r = RunRequest(0, true, static_cast<int32_t>(0x80040154));
    EXPECT_FALSE(r.succeeded);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"box"}));
    EXPECT_EQ(r.boxes, (std::vector<std::string>{"COM object instantiation failed: EComError|Class not registered"}));
}
