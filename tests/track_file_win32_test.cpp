// Windows file sharing of the track files: who may open the input and the output while
// the converter holds them, and what happens to a file the converter cannot hold.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "track/track_file.h"

using trb2asc::closeTrackFile;
using trb2asc::FileIdentity;
using trb2asc::openInputFile;
using trb2asc::openOutputFile;
using trb2asc::OutputOpen;
using trb2asc::readTrackFile;
using trb2asc::TrackFile;
using trb2asc::writeTrackFile;

namespace {

class TrackFileWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    dir_ = std::string(temp) + "trb2asc_track_file_" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  }

  void TearDown() override {
    for (const std::string& file : created_) {
      DeleteFileA(file.c_str());
    }
    RemoveDirectoryA(dir_.c_str());
  }

  std::string makeFile(const char* name, const std::string& content) {
    const std::string path = dir_ + "\\" + name;
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
    created_.push_back(path);
    return path;
  }

  std::string pathOf(const char* name) {
    created_.push_back(dir_ + "\\" + name);
    return created_.back();
  }

  std::string dir_;
  std::vector<std::string> created_;
};

// Another process's open of path, with the access and sharing it asks for.
HANDLE openOther(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

std::string contentOf(const std::string& path) {
  const HANDLE h = openOther(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  std::string content;
  char buffer[256];
  DWORD got = 0;
  while (h != INVALID_HANDLE_VALUE && ReadFile(h, buffer, sizeof buffer, &got, nullptr) &&
         got > 0) {
    content.append(buffer, got);
  }
  CloseHandle(h);
  return content;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

TEST_F(TrackFileWin32, InputLetsOthersReadButNotWrite) {
  const std::string path = makeFile("in.trb", "track bytes");
  TrackFile file;
  FileIdentity identity;
  ASSERT_TRUE(openInputFile(path.c_str(), &file, &identity));
  EXPECT_TRUE(identity.known);

  const HANDLE reader = openOther(path, GENERIC_READ, kShareAll);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  CloseHandle(reader);
  const HANDLE writer = openOther(path, GENERIC_WRITE, kShareAll);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(writer);

  char buffer[64];
  EXPECT_EQ(readTrackFile(file, buffer, sizeof buffer), 11);
  EXPECT_EQ(readTrackFile(file, buffer, sizeof buffer), 0);
  EXPECT_TRUE(closeTrackFile(file));
}

TEST_F(TrackFileWin32, InputHeldForWritingIsNotOpened) {
  const std::string path = makeFile("in.trb", "track bytes");
  TrackFile file;
  FileIdentity identity;

  const HANDLE writer = openOther(path, GENERIC_WRITE, kShareAll);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(openInputFile(path.c_str(), &file, &identity));
  CloseHandle(writer);

  const HANDLE reader = openOther(path, GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(openInputFile(path.c_str(), &file, &identity))
      << "a reader does not stand in the way";
  closeTrackFile(file);
  CloseHandle(reader);
}

TEST_F(TrackFileWin32, InputMustBeAnExistingFileOnDisk) {
  TrackFile file;
  FileIdentity identity;
  EXPECT_FALSE(openInputFile(pathOf("missing.trb").c_str(), &file, &identity));
  EXPECT_FALSE(openInputFile(dir_.c_str(), &file, &identity));
  EXPECT_FALSE(openInputFile("NUL", &file, &identity));
}

TEST_F(TrackFileWin32, OutputHeldByAnotherIsLeftWhole) {
  const std::string path = makeFile("out.asc", "earlier lines\r\n");
  TrackFile file;
  const HANDLE other = openOther(path, GENERIC_READ, kShareAll);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(openOutputFile(path.c_str(), nullptr, FileIdentity{0, 0, false}, &file),
            OutputOpen::kFailed);
  CloseHandle(other);
  EXPECT_EQ(contentOf(path), "earlier lines\r\n");
}

TEST_F(TrackFileWin32, OutputIsHeldAloneAndReplaced) {
  const std::string existing = makeFile("out.asc", "earlier lines, longer than the new ones\r\n");
  const std::string created = pathOf("new.asc");
  for (const std::string& path : {existing, created}) {
    TrackFile file;
    ASSERT_EQ(openOutputFile(path.c_str(), nullptr, FileIdentity{0, 0, false}, &file),
              OutputOpen::kOpened);
    const HANDLE reader = openOther(path, GENERIC_READ, kShareAll);
    EXPECT_EQ(reader, INVALID_HANDLE_VALUE) << path;
    CloseHandle(reader);
    EXPECT_TRUE(writeTrackFile(file, "1 , 2 , \"1\"\r\n", 13));
    EXPECT_TRUE(closeTrackFile(file));
    EXPECT_EQ(contentOf(path), "1 , 2 , \"1\"\r\n") << path;
  }
}

TEST_F(TrackFileWin32, OutputNamingTheInputIsLeftUntouched) {
  const std::string path = makeFile("ceTrackTail.trb", "track bytes");
  TrackFile file;
  FileIdentity input;
  ASSERT_TRUE(openInputFile(path.c_str(), &file, &input));
  closeTrackFile(file);

  const std::string link = pathOf("link.trb");
  ASSERT_TRUE(CreateHardLinkA(link.c_str(), path.c_str(), nullptr));
  const std::string otherSpelling = dir_ + "\\.\\CETRACKTAIL.TRB";
  for (const std::string& name : {path, otherSpelling, link}) {
    EXPECT_EQ(openOutputFile(name.c_str(), nullptr, input, &file), OutputOpen::kIsProtected)
        << name;
  }
  EXPECT_EQ(contentOf(path), "track bytes");
}

// A read-only input is still named as the input, not as a file that cannot be opened;
// and a file another program moved over the input's path after the load is the input too.
TEST_F(TrackFileWin32, OutputNamingTheInputPathIsLeftUntouched) {
  const std::string path = makeFile("ceTrackTail.trb", "track bytes");
  TrackFile file;
  FileIdentity loaded;
  ASSERT_TRUE(openInputFile(path.c_str(), &file, &loaded));
  closeTrackFile(file);

  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(openOutputFile(path.c_str(), path.c_str(), loaded, &file), OutputOpen::kIsProtected);
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));

  const std::string fresh = makeFile("fresh.trb", "fresh track");
  ASSERT_TRUE(MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(openOutputFile(path.c_str(), path.c_str(), loaded, &file), OutputOpen::kIsProtected);
  EXPECT_EQ(contentOf(path), "fresh track");
}

TEST_F(TrackFileWin32, OutputToADeviceIsWrittenAsItIs) {
  TrackFile file;
  ASSERT_EQ(openOutputFile("NUL", nullptr, FileIdentity{0, 0, false}, &file), OutputOpen::kOpened);
  EXPECT_TRUE(writeTrackFile(file, "line\r\n", 6));
  EXPECT_TRUE(closeTrackFile(file));
}

}  // namespace
