#include "net/ResumePlan.h"

#include <gtest/gtest.h>

#include <vector>

#include "net/TransferControl.h"

namespace {

using Verdict = ResumePlan::Verdict;

struct RecordingWaiter : ResumeWaiter {
    bool Wait(std::uint32_t milliseconds) override {
        pauses.push_back(milliseconds);
        return !abandon;
    }
    std::vector<std::uint32_t> pauses;
    bool abandon = false;
};

ReplyHeaders Whole(std::uint64_t length, std::wstring eTag = L"\"a\"",
                   std::wstring lastModified = L"") {
    return {200, length, L"", std::move(eTag), std::move(lastModified)};
}
ReplyHeaders Part(const std::wstring& range, std::wstring eTag = L"\"a\"",
                  std::optional<std::uint64_t> length = std::nullopt,
                  std::wstring lastModified = L"") {
    return {206, length, range, std::move(eTag), std::move(lastModified)};
}

const std::wstring kDate = L"Mon, 01 Jan 2024 00:00:00 GMT";

const std::wstring kRangeFrom1000 = L"Range: bytes=1000-\r\nIf-Range: \"a\"\r\n";

TEST(ResumePlanTest, RepliesAfterABreakAreAppendedOnlyWhereTheyFitUnderTheValidator) {
    struct Case {
        const char* name;
        ReplyHeaders first;
        std::wstring headers;  // of the request after 1000 bytes of the first reply
        ReplyHeaders second;
        Verdict verdict;
        std::uint64_t received;
        std::optional<std::uint64_t> length;
    };
    const Case cases[] = {
        {"range fits", Whole(5000), kRangeFrom1000, Part(L"bytes 1000-4999/5000"), Verdict::Append,
         1000, 5000},
        {"length unknown to the range", Whole(5000), kRangeFrom1000,
         Part(L"bytes 1000-4999/*", L"\"a\"", 4000), Verdict::Append, 1000, 5000},
        {"file changed", Whole(5000), kRangeFrom1000, Whole(7000, L"\"b\""), Verdict::Restart, 0,
         7000},
        {"range elsewhere", Whole(5000), kRangeFrom1000, Part(L"bytes 0-4999/5000"),
         Verdict::AskWhole, 1000, 5000},
        {"Last-Modified serves", Whole(5000, L"", kDate),
         L"Range: bytes=1000-\r\nIf-Range: Mon, 01 Jan 2024 00:00:00 GMT\r\n",
         Part(L"bytes 1000-4999/5000", L"", std::nullopt, kDate), Verdict::Append, 1000, 5000},
        // A cache that drops If-Range answers with a range of the new release.
        {"range of another release", Whole(5000), kRangeFrom1000,
         Part(L"bytes 1000-4999/5000", L"\"b\""), Verdict::AskWhole, 1000, 5000},
        {"range naming no release", Whole(5000), kRangeFrom1000, Part(L"bytes 1000-4999/5000", L""),
         Verdict::AskWhole, 1000, 5000},
        // Without a validator a range could splice two versions of the file.
        {"no validator", Whole(5000, L""), L"", Part(L"bytes 1000-4999/5000", L""),
         Verdict::AskWhole, 1000, 5000},
        {"no validator, whole file", Whole(5000, L""), L"", Whole(5000, L""), Verdict::Restart, 0,
         5000},
    };
    for (const Case& c : cases) {
        ResumePlan plan(3, 1000);
        EXPECT_EQ(plan.RequestHeaders(), L"") << c.name;
        EXPECT_EQ(plan.Judge(c.first), Verdict::Append) << c.name;
        plan.Brought(1000);
        EXPECT_EQ(plan.RequestHeaders(), c.headers) << c.name;
        EXPECT_EQ(plan.Judge(c.second), c.verdict) << c.name;
        EXPECT_EQ(plan.Received(), c.received) << c.name;
        EXPECT_EQ(plan.Length(), c.length) << c.name;
        if (c.verdict != Verdict::AskWhole) continue;
        // Asked for the whole file, a misplaced range again is refused.
        EXPECT_EQ(plan.RequestHeaders(), L"") << c.name;
        EXPECT_EQ(plan.Judge(c.second), Verdict::Refuse) << c.name;
    }
    // A caller's earlier attempt resumes only under its validator.
    EXPECT_EQ(ResumePlan(3, 1000, 1000, L"\"a\"").RequestHeaders(), kRangeFrom1000);
    ResumePlan noValidator(3, 1000, 1000, L"");
    EXPECT_EQ(noValidator.RequestHeaders(), L"");
    EXPECT_EQ(noValidator.Judge(Whole(5000, L"\"b\"")), Verdict::Restart);
    EXPECT_EQ(noValidator.Validator(), L"\"b\"");
}

TEST(ResumePlanTest, AKeptPartIsContinuedOnlyAsTheBeginningOfItsOwnRelease) {
    const std::wstring url = L"http://127.0.0.1/ZelbarSetup11.exe";
    const std::wstring a = L"\"a\"";
    struct Case {
        const char* name;
        KeptPart part;
        bool continues;  // at `url`, an archive of 5000 bytes
        ReplyHeaders reply = {};
        Verdict verdict = Verdict::Refuse;
    };
    const ReplyHeaders rest = Part(L"bytes 1000-4999/5000");
    const Case cases[] = {
        {"its own release", {url, a, 1000}, true, rest, Verdict::Append},
        {"under its Last-Modified",
         {url, kDate, 1000},
         true,
         Part(L"bytes 1000-4999/5000", L"\"e\"", std::nullopt, kDate),
         Verdict::Append},
        {"another address", {L"http://127.0.0.1/alt/ZelbarSetup11.exe", a, 1000}, false},
        {"as long as the archive", {url, a, 5000}, false},
        {"longer than the archive", {url, a, 6000}, false},
        {"empty", {url, a, 0}, false},
        {"no validator at all", {url, L"", 1000}, false},
        {"the server has another release",
         {url, a, 1000},
         true,
         Whole(5000, L"\"b\""),
         Verdict::Restart},
        {"a range of another release",
         {url, a, 1000},
         true,
         Part(L"bytes 1000-4999/5000", L"\"b\""),
         Verdict::AskWhole},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(ResumePlan::Continues(c.part, url, 5000), c.continues) << c.name;
        if (!c.continues) continue;
        ResumePlan plan(3, 1000, static_cast<std::uint64_t>(c.part.size), c.part.validator);
        EXPECT_EQ(plan.RequestHeaders(),
                  L"Range: bytes=1000-\r\nIf-Range: " + c.part.validator + L"\r\n")
            << c.name;
        EXPECT_EQ(plan.Judge(c.reply), c.verdict) << c.name;
    }
}

TEST(ResumePlanTest, PausesGrowUntilTheTriesAreSpentAndOnlyNewGroundRestoresThem) {
    const std::uint32_t reset = TransferControl::kErrorConnectionReset;
    RecordingWaiter waiter;
    ResumePlan plan(3, 100);
    EXPECT_EQ(plan.AfterFailure(reset, waiter), ResumePlan::Next::GiveUp) << "no reply yet";
    plan.Judge(Whole(5000, L""));
    plan.Brought(1000);
    EXPECT_EQ(plan.AfterFailure(reset, waiter), ResumePlan::Next::Retry);
    EXPECT_EQ(plan.AfterFailure(reset, waiter), ResumePlan::Next::Retry);
    // The restarted body breaks again before the point the first one reached.
    plan.Judge(Whole(5000, L""));
    plan.Brought(1000);
    EXPECT_EQ(plan.AfterFailure(TransferControl::kErrorTimeout, waiter), ResumePlan::Next::Retry);
    EXPECT_EQ(plan.AfterFailure(reset, waiter), ResumePlan::Next::GiveUp);
    plan.Brought(1);
    EXPECT_EQ(plan.AfterFailure(reset, waiter), ResumePlan::Next::Retry);
    EXPECT_EQ(waiter.pauses, (std::vector<std::uint32_t>{100, 200, 400, 100}));

    for (const std::uint32_t error : {TransferControl::kErrorHttpStatusBase + 404,
                                      TransferControl::kErrorCertificateAuthorityInvalid}) {
        EXPECT_EQ(plan.AfterFailure(error, waiter), ResumePlan::Next::GiveUp) << error;
    }
    waiter.abandon = true;
    EXPECT_EQ(plan.AfterFailure(reset, waiter), ResumePlan::Next::Abandoned);
}

}  // namespace
