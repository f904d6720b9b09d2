#include "base/path_text.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <wchar.h>

TEST(PathText, AppendsOnlyWhatFitsWhole) {
  struct Row {
    const wchar_t* start;
    const wchar_t* tail;
    size_t cap;
    int expected;
    const wchar_t* after;
  };
  // text, appended, capacity with NUL, result, text afterwards
  const Row rows[] = {
      {L"C:\\a", L"\\Kx\\", 9, 1, L"C:\\a\\Kx\\"},
      {L"C:\\a", L"\\Kx\\", 8, 0, L"C:\\a"},
      {L"", L"", 1, 1, L""},
      {L"abc", L"", 4, 1, L"abc"},
      {L"abc", L"d", 4, 0, L"abc"},
  };
  for (const Row& row : rows) {
    wchar_t buf[16] = L"";
    std::wstring(row.start).copy(buf, 15);
    EXPECT_EQ(row.expected, AppendBounded(buf, row.cap, row.tail)) << "cap " << row.cap;
    EXPECT_EQ(std::wstring(row.after), std::wstring(buf)) << "cap " << row.cap;
  }
}

TEST(PathText, CopyThatDoesNotFitLeavesEmptyText) {
  wchar_t buf[4] = L"old";
  EXPECT_EQ(0, CopyBounded(buf, 4, L"long"));
  EXPECT_EQ(std::wstring(L""), std::wstring(buf));
  EXPECT_EQ(1, CopyBounded(buf, 4, L"abc"));
  EXPECT_EQ(std::wstring(L"abc"), std::wstring(buf));
}

TEST(PathText, LiesUnderFolderAtItsBoundary) {
  struct Row {
    const wchar_t* path;
    const wchar_t* folder;
    int expected;
  };
  // path (one case, long form), folder, lies under it
  const Row rows[] = {
      {L"C:\\TEMP\\TEMP1_S.ZIP\\S.EXE", L"C:\\TEMP\\", 1},
      {L"C:\\TEMP\\TEMP1_S.ZIP\\S.EXE", L"C:\\TEMP", 1},
      {L"C:\\TEMP2\\S.EXE", L"C:\\TEMP", 0},
      {L"C:\\TEMP2\\S.EXE", L"C:\\TEMP\\", 0},
      {L"C:\\TEMP", L"C:\\TEMP\\", 0},
      {L"C:\\TEMP\\", L"C:\\TEMP\\", 0},
      {L"C:\\TEM", L"C:\\TEMP", 0},
      {L"D:\\TEMP\\S.EXE", L"C:\\TEMP\\", 0},
      {L"C:\\TOOLS\\S.EXE", L"C:\\", 1},
      {L"C:\\TEMP\\S.EXE", L"", 0},
      {L"", L"C:\\TEMP\\", 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, PathLiesUnder(row.path, row.folder))
        << std::string(row.path, row.path + wcslen(row.path)) << " in "
        << std::string(row.folder, row.folder + wcslen(row.folder));
  }
}

namespace {

// The drives a row calls remote, and the letters the code asked about.
struct DriveDesk {
  const char* remote;
  std::string asked;
};

int DriveIsRemote(wchar_t letter, void* context) {
  DriveDesk* desk = static_cast<DriveDesk*>(context);
  desk->asked += static_cast<char>(letter);
  return strchr(desk->remote, static_cast<char>(letter)) != nullptr;
}

}  // namespace

TEST(PathText, NetworkPathsAreNeverLookedUp) {
  struct Row {
    const wchar_t* path;
    const char* remote;
    int expected;
    const char* asked;
  };
  // path, remote drive letters, may wait on the network, drive letters asked
  const Row rows[] = {
      {L"\\\\server\\share\\sorvel.exe", "", 1, ""},
      {L"//server/share/sorvel.exe", "", 1, ""},
      {L"\\\\?\\UNC\\server\\share\\sorvel.exe", "", 1, ""},
      {L"\\\\?\\GLOBALROOT\\Device\\Mup\\server\\share\\s.exe", "", 1, ""},
      {L"\\\\.\\pipe\\sorvel", "", 1, ""},
      {L"\\??\\UNC\\server\\share\\sorvel.exe", "", 1, ""},
      {L"\\??\\Z:\\Tools\\sorvel.exe", "Z", 1, "Z"},
      {L"\\\\", "", 1, ""},
      {L"\\\\?\\", "", 1, ""},
      {L"C:\\Tools\\sorvel.exe", "", 0, "C"},
      {L"c:\\Tools\\sorvel.exe", "C", 1, "C"},
      {L"Z:\\Tools\\sorvel.exe", "Z", 1, "Z"},
      {L"Z:sorvel.exe", "Z", 1, "Z"},
      {L"\\\\?\\C:\\Tools\\sorvel.exe", "", 0, "C"},
      {L"\\\\?\\Z:\\Tools\\sorvel.exe", "Z", 1, "Z"},
      {L"//./Z:/Tools/sorvel.exe", "Z", 1, "Z"},
      {L"Tools\\sorvel.exe", "C", 0, ""},
      {L"\\Tools\\sorvel.exe", "C", 0, ""},
      {L"1:\\sorvel.exe", "", 0, ""},
      {L"C", "C", 0, ""},
      {L"", "", 0, ""},
  };
  for (const Row& row : rows) {
    DriveDesk desk = {row.remote, ""};
    std::string name(row.path, row.path + wcslen(row.path));
    EXPECT_EQ(row.expected, PathMayWaitOnNetwork(row.path, DriveIsRemote, &desk)) << name;
    EXPECT_EQ(std::string(row.asked), desk.asked) << name << ": drives asked";
  }
}

TEST(PathText, ShortcutKindByExtension) {
  struct Row {
    const wchar_t* path;
    int kind;
  };
  // path, the shortcut it names
  const Row rows[] = {
      {L"C:\\Music\\夏 - ショートカット.lnk", kShellLink},
      {L"C:\\Music\\A.LNK", kShellLink},
      {L"C:\\Music\\a.lnk. ", kShellLink},
      {L"C:\\Music\\site.url", kInternetShortcut},
      {L"C:\\Music\\site.URL", kInternetShortcut},
      {L"C:\\Music\\a.lnk.mp3", kNoShortcut},
      {L"C:\\Links.lnk\\a.mp3", kNoShortcut},
      {L"C:\\Music\\alnk", kNoShortcut},
      {L"", kNoShortcut},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.kind, ShortcutKindOf(row.path)) << std::string(row.path, row.path + wcslen(row.path));
  }
}

TEST(PathText, DevicesAndUnusableShortcutTargets) {
  struct Row {
    const wchar_t* path;
    int device;        // PathNamesDevice
    int usableTarget;  // ShortcutTargetUsable
  };
  // path, names a device, usable as a shortcut's target
  const Row rows[] = {
      {L"C:\\Music\\雨.mp3", 0, 1},
      {L"\\\\nas\\music\\雨.mp3", 0, 1},
      {L"\\\\?\\C:\\Music\\雨.mp3", 0, 1},
      {L"\\\\?\\UNC\\nas\\music\\雨.mp3", 0, 1},
      {L"\\??\\Volume{0a1b}\\Music\\雨.mp3", 0, 1},
      {L"\\\\.\\COM1", 1, 0},
      {L"\\\\?\\GLOBALROOT\\Device\\Serial0", 1, 0},
      {L"\\??\\pipe\\sorvel", 1, 0},
      {L"NUL", 1, 0},
      {L"C:\\Music\\con.mp3", 1, 0},
      {L"C:\\Music\\Lpt9 .mp3", 1, 0},
      {L"C:\\Music\\COM\u00B9", 1, 0},
      {L"C:\\Music\\COM10.mp3", 0, 1},
      {L"C:\\Music\\console.mp3", 0, 1},
      {L"C:\\NUL\\雨.mp3", 0, 1},
      {L"雨.mp3", 0, 0},
      {L"\\Music\\雨.mp3", 0, 0},
      {L"C:雨.mp3", 0, 0},
      {L"C:\\Music\\夏.lnk", 0, 0},
      {L"", 0, 0},
  };
  for (const Row& row : rows) {
    std::string name(row.path, row.path + wcslen(row.path));
    EXPECT_EQ(row.device, PathNamesDevice(row.path)) << name;
    EXPECT_EQ(row.usableTarget, ShortcutTargetUsable(row.path)) << name;
  }
}
