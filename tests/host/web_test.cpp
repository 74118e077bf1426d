#include "net/Web.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "FakeUi.h"
#include "ScriptedTransferControl.h"
#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"

namespace {

class WebTest : public ::testing::Test {
protected:
    WebTest() : web(ui, fs), file(fs) {
        web.Inet(control);
        ui.onDoEvents = [this] {
            if (onYield) onYield();
            control.DeliverPending();
        };
        web.StateChanged = [this](Datei& d) { sizesSeen.push_back(d.GetAktFilesizeInBytes()); };
        file.url(L"http://127.0.0.1/zelbar/ZelbarSetup.exe");
        file.FolderLokal(temp.path() + L"\\");
    }

    // A download of a body whose size the size query announced.
    bool Download(const std::string& body, std::int32_t announced) {
        control.body = body;
        file.SetFilesize(announced);
        return web.DownloadFile(file);
    }
    bool SizeQuery(const std::wstring& reply) {
        control.reply = reply;
        return web.GetFilesize(L"http://127.0.0.1/size.php", file);
    }
    std::string OnDisk() const { return temp.ReadBytes("ZelbarSetup.exe"); }

    FakeUi ui;
    PortableFileSystem fs;
    TempFolder temp;
    ScriptedTransferControl control;
    Web web;
    Datei file;
    std::function<void()> onYield;
    std::vector<std::int64_t> sizesSeen;
};

std::string Bytes(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}

TEST_F(WebTest, SizeReplyIsASizeOnlyWhenItIsNoRefusalAndFitsTheTotal) {
    // A plain number is a size even when it holds "404", white space around it
    // too; a text other than a number is stored and only fails the length check later.
    const std::pair<const wchar_t*, std::int32_t> sizes[] = {
        {L"1404", 1404}, {L"\t40490\r\n", 40490}, {L"2147483647", 2147483647}, {L"abc", 0}};
    for (const auto& [reply, bytes] : sizes) {
        EXPECT_TRUE(SizeQuery(reply)) << Text::ToUtf8(reply);
        EXPECT_EQ(file.GetFilesizeInBytes(), bytes);
    }
    file.Filesize(L"77");
    control.openUrlError = TransferControl::kErrorTimeout;  // a failed request is no size
    EXPECT_FALSE(SizeQuery(L"2048"));
    control.openUrlError.reset();
    for (const wchar_t* reply :
         {L"404", L" 404 ", L"", L"<html>404 Not Found</html>", L"3000000000"}) {
        EXPECT_FALSE(SizeQuery(reply)) << Text::ToUtf8(reply);
        EXPECT_EQ(file.Filesize(), L"77");
    }
    EXPECT_EQ(control.openedUrls.size(), 10u);
}

TEST_F(WebTest, BodyIsReadInFullChunksUntilOneOfAtMostOneByte) {
    // The address is sent without the blanks around it.
    file.url(L"  http://127.0.0.1/zelbar/ZelbarSetup.exe");
    // The length on disk has the last word.
    EXPECT_FALSE(Download(Bytes(4999), 5000));
    EXPECT_FALSE(Download(Bytes(5001), 5000));
    const std::pair<std::size_t, std::vector<std::int64_t>> cases[] = {
        {8192, {4096, 8192, 8192}}, {3 * 4096 + 1, {4096, 8192, 12288, 12289}}};
    for (const auto& [size, seen] : cases) {
        file.SetAktFilesize(0);
        control.chunkSizesAsked.clear();
        sizesSeen.clear();
        EXPECT_TRUE(Download(Bytes(size), static_cast<std::int32_t>(size)));
        EXPECT_EQ(sizesSeen, seen);
        EXPECT_EQ(control.chunkSizesAsked, std::vector<std::size_t>(seen.size(), 4096));
        EXPECT_EQ(OnDisk(), control.body);
    }
    EXPECT_EQ(control.executedUrls,
              std::vector<std::wstring>(4, L"http://127.0.0.1/zelbar/ZelbarSetup.exe"));
}

TEST_F(WebTest, ABodyThatStartsOverEmptiesTheFileAndTheSizeLineWaitsUntilItIsBack) {
    std::string newer = Bytes(20000);
    std::reverse(newer.begin(), newer.end());
    temp.WriteBytes("ZelbarSetup.exe", Bytes(30000));  // a longer file of an earlier attempt
    control.restartAfter = 8192;
    control.restartedBody = newer;
    EXPECT_TRUE(Download(Bytes(10000), 20000));
    EXPECT_EQ(OnDisk(), newer);
    EXPECT_EQ(sizesSeen, (std::vector<std::int64_t>{4096, 8192, 8192, 12288, 16384, 20000, 20000}));
}

TEST_F(WebTest, TheFileIsNamedByTheReleaseOfTheBytesItHolds) {
    struct Case {
        const char* name;
        std::wstring resumedWith;  // empty: a new file
        int firstState;
        std::optional<std::wstring> restartedAs;
        std::wstring written;
    };
    const int read = TransferControl::kStateResponseCompleted;
    const Case cases[] = {
        {"a new file", L"", read, std::nullopt, L"\"a\""},
        {"a continued file", L"\"a\"", read, std::nullopt, L"\"a\""},
        {"continued, no reply read", L"\"a\"", TransferControl::kStateError, std::nullopt,
         L"\"a\""},
        {"a new file, no reply read", L"", ScriptedTransferControl::kEndsSilently, std::nullopt,
         L""},
        {"continued, then another release from byte 0", L"\"a\"", read, L"\"b\"", L"\"b\""},
        // Bytes no validator names can never be continued.
        {"continued, then a release naming none", L"\"a\"", read, L"", L""},
    };
    for (const Case& c : cases) {
        temp.WriteBytes("ZelbarSetup.exe", Bytes(2000));
        control.validator = L"\"a\"";
        control.firstState = c.firstState;
        control.body = Bytes(10000);
        control.failAfter = 6000;
        control.restartAfter.reset();
        if (c.restartedAs) {
            control.restartAfter = 2000;  // at once, where the continued file ends
            control.restartedBody = Bytes(6000);
            control.restartedValidator = c.restartedAs;
        }
        file.SetFilesize(10000);
        EXPECT_FALSE(web.DownloadFile(file, c.resumedWith)) << c.name;
        EXPECT_EQ(web.WrittenValidator(), c.written) << c.name;
    }
}

TEST_F(WebTest, ErrorStatusNoResponseOrABreakFailUnlessTheLengthIsComplete) {
    control.firstState = TransferControl::kStateError;
    EXPECT_FALSE(Download("<html>Not Found</html>", 22));
    EXPECT_FALSE(temp.Exists("ZelbarSetup.exe"));
    EXPECT_EQ(control.cancelCalls, 1);
    // Not even beside a stale file of the right length.
    temp.WriteBytes("ZelbarSetup.exe", Bytes(8192));
    control.firstState = ScriptedTransferControl::kEndsSilently;
    EXPECT_FALSE(Download(Bytes(8192), 8192));

    temp.WriteBytes("ZelbarSetup.exe", "");
    control.firstState = TransferControl::kStateResponseCompleted;
    control.failAfter = 6000;
    control.cancelCalls = 0;
    EXPECT_FALSE(Download(Bytes(10000), 10000));
    EXPECT_EQ(OnDisk(), Bytes(6000));
    EXPECT_EQ(control.cancelCalls, 1);
    EXPECT_FALSE(web.isDownloading());
    // Broken right after the last byte: the length has the last word.
    control.failAfter = 10000;
    EXPECT_TRUE(Download(Bytes(10000), 10000));

    // Cut short by a cancel, the download counts as complete only without an error.
    control.failAfter = 4096;
    sizesSeen.clear();
    onYield = [this] {
        if (!sizesSeen.empty()) web.CancelDownload();
    };
    EXPECT_FALSE(Download(Bytes(10000), 10000));
}

TEST_F(WebTest, WriteErrorReachesTheCallerAndStopsTheTransferWhichCanBeTriedAgain) {
    file.FolderLokal(temp.path() + L"\\gone\\");
    EXPECT_THROW(Download(Bytes(100), 100), PlatformError);
    EXPECT_FALSE(web.isDownloading());
    EXPECT_EQ(control.cancelCalls, 1);
    EXPECT_FALSE(control.StillExecuting());
    file.FolderLokal(temp.path() + L"\\");
    EXPECT_TRUE(Download(Bytes(100), 100));
}

}  // namespace
