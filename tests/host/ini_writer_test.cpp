#include <gtest/gtest.h>

#include "IniFileTest.h"
#include "platform/PlatformError.h"

namespace {

class IniWriterTest : public IniFileTest {};

// Real files, but every text writer fails after a set number of lines, as a
// full disk would.
class DiskFullFileSystem : public PortableFileSystem {
public:
    explicit DiskFullFileSystem(int linesBeforeFailure) : linesLeft_(linesBeforeFailure) {}

    std::unique_ptr<TextWriter> OpenTextFileForWriting(const std::wstring& path) override {
        return std::make_unique<FailingWriter>(PortableFileSystem::OpenTextFileForWriting(path),
                                               linesLeft_);
    }

private:
    class FailingWriter : public TextWriter {
    public:
        FailingWriter(std::unique_ptr<TextWriter> inner, int linesLeft)
            : inner_(std::move(inner)), linesLeft_(linesLeft) {}
        void Write(const std::wstring& text) override { inner_->Write(text); }
        void WriteLine(const std::wstring& text) override {
            if (linesLeft_-- <= 0) throw PlatformError(28, L"Kein Platz mehr auf dem Datenträger.");
            inner_->WriteLine(text);
        }
        void Close() override { inner_->Close(); }

    private:
        std::unique_ptr<TextWriter> inner_;
        int linesLeft_;
    };

    int linesLeft_;
};

}  // namespace

TEST_F(IniWriterTest, ReplacesEveryOccurrenceInTheSectionAndKeepsAllOtherLines) {
    WriteIni({L"[Shortcuts]", L"Desktop=alt", L"Desktop=auch alt", L"StartmenuFolder=Zelbar", L"",
              L"[Andere]", L"Desktop=bleibt", L"", L"[Shortcuts]", L"Desktop=dritter"});
    settings.WriteKeyValuePair(L"Shortcuts", L"Desktop", L"Zelbar 11");
    EXPECT_EQ(IniBytes(),
              "[Shortcuts]\r\nDesktop=Zelbar 11\r\nDesktop=Zelbar 11\r\nStartmenuFolder=Zelbar\r\n"
              "\r\n[Andere]\r\nDesktop=bleibt\r\n\r\n[Shortcuts]\r\nDesktop=Zelbar 11\r\n");
    EXPECT_EQ(settings.GetValue(L"Shortcuts", L"Desktop"), L"Zelbar 11");
    EXPECT_FALSE(tmp.Exists("settings.ini.tmp"));
}

TEST_F(IniWriterTest, NewKeyGoesBeforeTheLineThatEndsItsSection) {
    WriteIni({L"[A]", L"x=1", L"", L"[B]", L"y=2", L"[C]", L"z=3"});
    settings.WriteKeyValuePair(L"A", L"neu", L"a");
    settings.WriteKeyValuePair(L"B", L"neu", L"b");
    settings.WriteKeyValuePair(L"C", L"neu", L"c");
    EXPECT_EQ(IniBytes(),
              "[A]\r\nx=1\r\nneu=a\r\n\r\n[B]\r\ny=2\r\nneu=b\r\n[C]\r\nz=3\r\nneu=c\r\n");
    EXPECT_EQ(settings.GetValue(L"A", L"neu"), L"a");
    EXPECT_EQ(settings.GetValue(L"B", L"neu"), L"b");
    EXPECT_EQ(settings.GetValue(L"C", L"neu"), L"c");
}

TEST_F(IniWriterTest, RepeatedWritesLeaveTheFileAsItWas) {
    WriteIni({L"[A]", L"x=1"});
    const std::string before = IniBytes();
    settings.WriteKeyValuePair(L"A", L"x", L"1");
    settings.WriteKeyValuePair(L"A", L"x", L"1");
    EXPECT_EQ(IniBytes(), before) << "each write must not add another empty line";
}

TEST_F(IniWriterTest, MissingSectionIsAppendedInsteadOfDroppingTheValue) {
    WriteIni({L"[GetFileSize]", L"URL=http://x"});
    settings.WriteKeyValuePair(L"Shortcuts", L"Desktop", L"Zelbar");
    EXPECT_EQ(IniBytes(), "[GetFileSize]\r\nURL=http://x\r\n\r\n[Shortcuts]\r\nDesktop=Zelbar\r\n");
    EXPECT_EQ(settings.GetValue(L"Shortcuts", L"Desktop"), L"Zelbar");
    EXPECT_EQ(settings.CheckIniFile(), ini::kUsable);
}

TEST_F(IniWriterTest, UmlautsSurviveTheRoundTrip) {
    tmp.WriteBytes("settings.ini", "[Shortcuts]\r\nStartmenuFolder=Men\xFC\r\n");
    settings.WriteKeyValuePair(L"Shortcuts", L"StartmenuZelbar", L"Menüeinträge");
    EXPECT_EQ(IniBytes(),
              "[Shortcuts]\r\nStartmenuFolder=Men\xFC\r\nStartmenuZelbar=Men\xFC" "eintr\xE4ge\r\n");
    EXPECT_EQ(settings.GetValue(L"Shortcuts", L"StartmenuZelbar"), L"Menüeinträge");
}

TEST_F(IniWriterTest, FailedWriteLeavesTheSettingsFileUntouched) {
    WriteIni({L"[GetFileSize]", L"URL=http://x", L"", L"[Shortcuts]", L"Desktop=Zelbar"});
    const std::string before = IniBytes();
    DiskFullFileSystem fullDisk(2);
    const ini onFullDisk(fullDisk, ui);
    EXPECT_THROW(onFullDisk.WriteKeyValuePair(L"Shortcuts", L"Desktop", L"Neu"), PlatformError);
    EXPECT_EQ(IniBytes(), before);
}
