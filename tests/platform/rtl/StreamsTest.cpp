#include "platform/rtl/Classes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/platform/rtl/TestSupport.h"

TEST(TMemoryStream, ReadWriteSeekAndGrow) {
  TMemoryStream ms;
  ms.WriteString("hello");
  EXPECT_EQ(ms.Size(), 5);
  EXPECT_EQ(ms.Position(), 5);
  ms.Seek(7, soBeginning);
  ms.WriteString("!");
  EXPECT_EQ(ms.Size(), 8);
  EXPECT_EQ(ms.Bytes(), std::string("hello\0\0!", 8));
  ms.SetPosition(1);
  char buf[3];
  EXPECT_EQ(ms.Read(buf, 3), 3);
  EXPECT_EQ(std::string(buf, 3), "ell");
  ms.Seek(-1, soEnd);
  EXPECT_EQ(ms.Read(buf, 3), 1);
  EXPECT_EQ(ms.Read(buf, 3), 0);
  EXPECT_THROW(ms.ReadBuffer(buf, 1), EReadError);
  ms.SetSize(2);
  EXPECT_EQ(ms.Position(), 2);
  EXPECT_EQ(ms.Bytes(), "he");
  ms.Clear();
  EXPECT_EQ(ms.Size(), 0);
}

TEST(TStringStream, DataStringAndCopyFrom) {
  TStringStream src("abcdef");
  EXPECT_EQ(src.ReadString(2), "ab");
  EXPECT_EQ(src.ReadString(100), "cdef");
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&src, 0), 6);  // 0 copies everything from the start
  EXPECT_EQ(dst.Bytes(), "abcdef");
  src.SetPosition(4);
  EXPECT_THROW(dst.CopyFrom(&src, 5), EReadError);
}

TEST(TFileStream, ModesAndErrors) {
  TTempDir dir;
  std::string f = dir.File("data.bin");
  {
    TFileStream fs(f, fmCreate);
    fs.WriteString("0123456789");
    EXPECT_EQ(fs.Size(), 10);
  }
  {
    TFileStream fs(f, fmOpenRead | fmShareDenyWrite);
    fs.Seek(3, soBeginning);
    char b[4];
    fs.ReadBuffer(b, 4);
    EXPECT_EQ(std::string(b, 4), "3456");
    EXPECT_EQ(fs.Write("x", 1), 0);  // opened for reading only
  }
  {
    TFileStream fs(f, fmOpenReadWrite | fmShareExclusive);
    fs.Seek(0, soEnd);
    fs.WriteString("AB");
    fs.SetSize(4);
  }
  EXPECT_EQ(LoadFileBytes(f), "0123");
  try {
    TFileStream fs(dir.File("missing"), fmOpenRead);
    ADD_FAILURE();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot open file \"" + dir.File("missing") + "\". ", 0), 0u) << e.Message();
  }
  EXPECT_THROW(TFileStream(dir.File("no/dir/x"), fmCreate), EFCreateError);
  EXPECT_THROW(TFileStream(dir.Path(), fmOpenRead), EFOpenError);
  TMemoryStream ms;
  ms.LoadFromFile(f);
  EXPECT_EQ(ms.Bytes(), "0123");
  ms.SaveToFile(dir.File("copy.bin"));
  EXPECT_EQ(LoadFileBytes(dir.File("copy.bin")), "0123");
}

TEST(TTextFile, ReadsCrLfAndLfAndWritesCrLf) {
  TTempDir dir;
  std::string f = dir.File("t.txt");
  SaveFileAtomically(f, "one\r\ntwo\nthree\r\n\r\nlast");
  TTextFile t(f);
  t.Reset();
  std::vector<std::string> lines;
  while (!t.Eof()) lines.push_back(t.ReadLn());
  t.CloseFile();
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "", "last"}));

  t.Rewrite();
  t.WriteLn("a");
  t.Write("b");
  t.WriteLn();
  t.CloseFile();
  EXPECT_EQ(LoadFileBytes(f), "a\r\nb\r\n");
  t.Append();
  t.WriteLn("c");
  t.CloseFile();
  EXPECT_EQ(LoadFileBytes(f), "a\r\nb\r\nc\r\n");
}

TEST(TTextFile, ErrorsCarryTheirCodes) {
  TTempDir dir;
  TTextFile t(dir.File("missing.txt"));
  try {
    t.Reset();
    ADD_FAILURE();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 2);
    EXPECT_EQ(e.Message(), "File not found");
  }
  EXPECT_THROW(t.ReadLn(), EInOutError);
  TTextFile w(dir.File("w.txt"));
  w.Rewrite();
  try {
    w.ReadLn();
    ADD_FAILURE();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 104);
  }
  w.CloseFile();
  try {
    w.CloseFile();
    ADD_FAILURE();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 103);
  }
  TTextFile nodir(dir.File("none/x.txt"));
  EXPECT_THROW(nodir.Rewrite(), EInOutError);
}

TEST(TTextFile, AbandonedRewriteKeepsTheOldFile) {
  TTempDir dir;
  std::string f = dir.File("keep.txt");
  SaveFileAtomically(f, "old\r\n");
  {
    TTextFile t(f);
    t.Rewrite();
    t.WriteLn("partial");
    // Destroyed without CloseFile, as when an exception leaves the writer.
  }
  EXPECT_EQ(LoadFileBytes(f), "old\r\n");
  EXPECT_EQ(dir.EntryCount(), 1);
}

TEST(TTextFile, LongLinesAcrossBufferBoundaries) {
  TTempDir dir;
  std::string f = dir.File("long.txt");
  std::string big(200000, 'x');
  TTextFile t(f);
  t.Rewrite();
  t.WriteLn(big);
  t.WriteLn("tail");
  t.CloseFile();
  t.Reset();
  EXPECT_EQ(t.ReadLn(), big);
  EXPECT_EQ(t.ReadLn(), "tail");
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.ReadLn(), "");
}

TEST(TTextFile, RewriteThroughASymbolicLinkKeepsTheLink) {
  TTempDir dir;
  std::string real = dir.File("real.txt"), link = dir.File("link.txt");
  SaveFileAtomically(real, "old");
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  TTextFile t(link);
  t.Rewrite();
  t.WriteLn("new");
  t.CloseFile();
  EXPECT_EQ(LoadFileBytes(real), "new\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  SaveFileAtomically(link, "again");
  EXPECT_EQ(LoadFileBytes(real), "again");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
}
