#include "ui/HelpViewer.h"

#include "TestSupport.h"
#include "TestWindow.h"
#include "Handles.h"
#include "ui/LanguageSelection.h"

#include <windows.h>

#include <tlhelp32.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr char HelpRoot[] = "C:\\Quen";
constexpr char HelpParent[] = "C:\\Quen\\Tremorlink";
constexpr char HelpFolder[] = "C:\\Quen\\Tremorlink\\Help";

// The process ids of the running help viewers.
std::vector<DWORD> Viewers()
{
    std::vector<DWORD> found;
    const tl::unique_handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, L"hh.exe") == 0) {
            found.push_back(entry.th32ProcessID);
        }
    }
    return found;
}

using testsupport::Above;

// The help folder of the program, inside the Wine prefix, with the files a test puts
// there; no viewer outlives a test.
class HelpViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::UnderWine()) {
            GTEST_SKIP() << "puts files into C:\\Quen\\Tremorlink\\Help, which only a Wine prefix of ours may get";
        }
        // The first FindWindow of a process can fail until the desktop is known.
        GetDesktopWindow();
        EndViewers();
        CreateDirectoryA(HelpRoot, nullptr);
        CreateDirectoryA(HelpParent, nullptr);
        CreateDirectoryA(HelpFolder, nullptr);
    }
    void TearDown() override
    {
        if (!testsupport::UnderWine()) {
            return;
        }
        EndViewers();
        for (const std::string& file : m_placed) {
            DeleteFileA(file.c_str());
        }
        // Only empty folders go.
        RemoveDirectoryA(HelpFolder);
        RemoveDirectoryA(HelpParent);
        RemoveDirectoryA(HelpRoot);
    }

    // The built help file of a language, alone in the folder.
    void PlaceOnly(int languageId)
    {
        for (const std::string& file : m_placed) {
            DeleteFileA(file.c_str());
        }
        const std::string built = std::string(TREMORLINK_HELP_DIR) + "/" + std::to_string(languageId) + ".chm";
        const std::string placed = std::string(HelpFolder) + "\\" + std::to_string(languageId) + ".chm";
        ASSERT_TRUE(CopyFileA(built.c_str(), placed.c_str(), FALSE)) << built;
        m_placed = {placed};
    }

    static void EndViewers()
    {
        for (const DWORD id : Viewers()) {
            const tl::unique_handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
            TerminateProcess(process.get(), 0);
            WaitForSingleObject(process.get(), 10000);
        }
    }

    static HWND WaitForOurViewer()
    {
        return testsupport::WaitForShownWindow(HelpViewer::WindowTitle, HelpViewer::WindowClass,
                                               std::chrono::seconds(30));
    }

private:
    std::vector<std::string> m_placed;
};

// With only the expected file in the folder, a viewer shows only if that file was opened.
TEST_F(HelpViewerTest, OpensTheHelpFileOfTheLanguageWithEnglishForTheOthers)
{
    struct Case {
        LCID locale;
        int file;
    };
    for (const Case& c : {Case{0x0407, 1031}, Case{0x0411, 1033}}) {
        SCOPED_TRACE(c.file);
        const int languageId = ui::SelectLanguage(c.locale).languageId;
        ASSERT_EQ(c.file, languageId);
        PlaceOnly(c.file);

        HelpViewer::Show(languageId);
        EXPECT_NE(nullptr, WaitForOurViewer());
        EXPECT_EQ(1u, Viewers().size());
        EndViewers();
    }
}

TEST_F(HelpViewerTest, ASecondHelpRestoresTheOpenViewerAndBringsItForwardWithoutOpeningAnother)
{
    PlaceOnly(1033);
    HelpViewer::Show(1033);
    const HWND viewer = WaitForOurViewer();
    ASSERT_NE(nullptr, viewer);
    ShowWindow(viewer, SW_MINIMIZE);
    ASSERT_TRUE(testsupport::PumpUntil([viewer] { return IsIconic(viewer) != FALSE; }));
    const tl::unique_hwnd other = testsupport::AnotherProgram({300, 200});
    ASSERT_FALSE(Above(viewer, other.get()));

    HelpViewer::Show(1033);
    // Checked as the call returns: a viewer process is made before the shell call returns,
    // and the viewer's thread has restored and moved its window by then. Afterwards Wine's
    // display driver may stack this process's window over it again, as X reports it.
    EXPECT_EQ(1u, Viewers().size());
    EXPECT_FALSE(IsIconic(viewer));
    EXPECT_TRUE(Above(viewer, other.get()));
    EXPECT_FALSE(GetWindowLongPtrW(viewer, GWL_EXSTYLE) & WS_EX_TOPMOST) << "brought forward, not left topmost";
}

TEST_F(HelpViewerTest, AViewerWithAnotherTitleIsNotTakenForOurs)
{
    const tl::unique_hwnd another = testsupport::TestWindow({.className = L"HH Parent",
                                                             .title = L"Another help",
                                                             .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                                             .size = {300, 200}});
    ShowWindow(another.get(), SW_MINIMIZE);
    PlaceOnly(1033);

    HelpViewer::Show(1033);
    EXPECT_EQ(1u, Viewers().size()) << "the file is opened";
    EXPECT_NE(nullptr, WaitForOurViewer());
    EXPECT_TRUE(IsIconic(another.get())) << "the other viewer is left alone";
}

} // namespace
