#include "platform/rtl/Classes.h"

#include <gtest/gtest.h>

#include "tests/platform/rtl/TestSupport.h"

namespace {

using V = TStringVector;

}  // namespace

TEST(TStringList, EditingOperations) {
  TStringList sl;
  sl.Add("a");
  sl.Add("b");
  sl.Insert(1, "x");
  EXPECT_EQ(StringsOf(sl), (V{"a", "x", "b"}));
  sl.Move(0, 2);
  EXPECT_EQ(StringsOf(sl), (V{"x", "b", "a"}));
  sl.Exchange(0, 2);
  EXPECT_EQ(StringsOf(sl), (V{"a", "b", "x"}));
  sl.Delete(1);
  EXPECT_EQ(StringsOf(sl), (V{"a", "x"}));
  sl.SetStrings(1, "y");
  EXPECT_EQ(sl[1], "y");
  try {
    sl.Delete(2);
    ADD_FAILURE();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (2)");
  }
  EXPECT_THROW(sl.Insert(5, "z"), EListError);
  EXPECT_THROW(sl.Strings(-1), EListError);
}

TEST(TStringList, IndexOfIgnoresCaseUnlessCaseSensitive) {
  TStringList sl;
  sl.SetText("Alpha\r\nbeta\r\nALPHA\r\n");
  EXPECT_EQ(sl.IndexOf("alpha"), 0);
  EXPECT_EQ(sl.IndexOf("BETA"), 1);
  EXPECT_EQ(sl.IndexOf("gamma"), -1);
  sl.SetCaseSensitive(true);
  EXPECT_EQ(sl.IndexOf("ALPHA"), 2);
  EXPECT_EQ(sl.IndexOf("alpha"), -1);
}

TEST(TStringList, SortedFindWithDuplicatesAndCase) {
  TStringList sl;
  sl.SetSorted(true);
  sl.SetDuplicates(dupIgnore);
  EXPECT_EQ(sl.Add("pear"), 0);
  EXPECT_EQ(sl.Add("Apple"), 0);
  EXPECT_EQ(sl.Add("banana"), 1);
  EXPECT_EQ(sl.Add("APPLE"), 0);  // ignored: equal without case
  EXPECT_EQ(StringsOf(sl), (V{"Apple", "banana", "pear"}));
  int idx = -1;
  EXPECT_TRUE(sl.Find("BANANA", idx));
  EXPECT_EQ(idx, 1);
  EXPECT_FALSE(sl.Find("cherry", idx));
  EXPECT_EQ(idx, 2);  // where it would go
  EXPECT_FALSE(sl.Find("zz", idx));
  EXPECT_EQ(idx, 3);

  sl.SetDuplicates(dupError);
  try {
    sl.Add("pear");
    ADD_FAILURE();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "String list does not allow duplicates");
  }
  sl.SetDuplicates(dupAccept);
  TObject* tag = &sl;
  sl.AddObject("PEAR", tag);
  EXPECT_EQ(sl.Count(), 4);
  EXPECT_TRUE(sl.Find("pear", idx));
  EXPECT_EQ(idx, 2);                       // the first of the equal strings
  EXPECT_EQ(sl.Objects(3), tag);           // the later one after it
  EXPECT_THROW(sl.Insert(0, "x"), EStringListError);
  try {
    sl.SetStrings(0, "x");
    ADD_FAILURE();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "Operation not allowed on sorted list");
  }

  TStringList cs;
  cs.SetCaseSensitive(true);
  cs.SetSorted(true);
  cs.Add("b");
  cs.Add("B");
  cs.Add("a");
  EXPECT_EQ(StringsOf(cs), (V{"B", "a", "b"}));
  EXPECT_TRUE(cs.Find("B", idx));
  EXPECT_EQ(idx, 0);
  EXPECT_FALSE(cs.Find("A", idx));
}

TEST(TStringList, SortIsStableAndCustomSortSeesIndexes) {
  TStringList sl;
  for (const char* s : {"b1", "a", "B2", "c", "b3"}) sl.Add(s);
  // Make equal keys by comparing only the first letter.
  sl.CustomSort([](TStringList* l, int i, int j) {
    return CompareText(l->Strings(i).substr(0, 1), l->Strings(j).substr(0, 1));
  });
  EXPECT_EQ(StringsOf(sl), (V{"a", "b1", "B2", "b3", "c"}));
  sl.SetSorted(true);
  EXPECT_EQ(StringsOf(sl), (V{"a", "b1", "B2", "b3", "c"}));
}

TEST(TStringList, LargeSortedListStaysConsistent) {
  TStringList sl;
  sl.SetSorted(true);
  sl.SetDuplicates(dupIgnore);
  for (int i = 0; i < 20000; ++i) sl.Add(IntToHex((i * 7919) % 10007, 4));
  EXPECT_EQ(sl.Count(), 10007);
  for (int i = 1; i < sl.Count(); ++i) ASSERT_LT(CompareText(sl[i - 1], sl[i]), 0);
  int idx;
  EXPECT_TRUE(sl.Find("2710", idx));
  EXPECT_EQ(sl[idx], "2710");
}

TEST(TStrings, NamesAndValues) {
  TStringList sl;
  sl.Add("Mode=1");
  sl.Add("Clock=50");
  sl.Add("plain");
  EXPECT_EQ(sl.Names(0), "Mode");
  EXPECT_EQ(sl.Names(2), "");
  EXPECT_EQ(sl.ValueFromIndex(1), "50");
  EXPECT_EQ(sl.Values("clock"), "50");
  EXPECT_EQ(sl.Values("none"), "");
  EXPECT_EQ(sl.IndexOfName("MODE"), 0);
  sl.SetValues("Clock", "100");
  EXPECT_EQ(sl[1], "Clock=100");
  sl.SetValues("New", "x=y");
  EXPECT_EQ(sl[3], "New=x=y");
  EXPECT_EQ(sl.Values("New"), "x=y");
  sl.SetValues("Mode", "");
  EXPECT_EQ(sl.IndexOfName("Mode"), -1);
  EXPECT_EQ(sl.Count(), 3);
}

TEST(TStrings, TextUsesCrLfAndReadsEveryLineEnd) {
  TStringList sl;
  sl.SetText("a\r\nb\nc\rd");
  EXPECT_EQ(StringsOf(sl), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(sl.Text(), "a\r\nb\r\nc\r\nd\r\n");
  sl.SetText("x\r\n\r\n");
  EXPECT_EQ(StringsOf(sl), (V{"x", ""}));
  sl.SetText("");
  EXPECT_EQ(sl.Count(), 0);
  sl.SetText(std::string("n\0ul", 4));
  EXPECT_EQ(sl[0].size(), 4u);
}

TEST(TStrings, CommaTextQuotingRoundTrip) {
  TStringList sl;
  sl.Add("plain");
  sl.Add("with space");
  sl.Add("with,comma");
  sl.Add("say \"hi\"");
  sl.Add("");
  sl.Add("tab\there");
  sl.Add(std::string("nul\0byte", 8));
  std::string text = sl.CommaText();
  EXPECT_EQ(text.substr(0, 41), "plain,\"with space\",\"with,comma\",\"say \"\"hi");
  TStringList back;
  back.SetCommaText(text);
  EXPECT_EQ(StringsOf(back), StringsOf(sl));

  back.SetCommaText("a b, c ,\"d e\"  ,");
  EXPECT_EQ(StringsOf(back), (V{"a", "b", "c", "d e", ""}));
  back.SetCommaText("");
  EXPECT_EQ(back.Count(), 0);
  TStringList one;
  one.Add("");
  EXPECT_EQ(one.CommaText(), "\"\"");
  back.SetCommaText(one.CommaText());
  EXPECT_EQ(StringsOf(back), (V{""}));
  back.SetCommaText("\"unclosed");
  EXPECT_EQ(StringsOf(back), (V{"unclosed"}));
}

TEST(TStrings, DelimitedTextWithOwnDelimiterAndStrictMode) {
  TStringList sl;
  sl.SetDelimiter(';');
  sl.SetQuoteChar('\'');
  sl.SetDelimitedText("a b;'c;d';e");
  EXPECT_EQ(StringsOf(sl), (V{"a", "b", "c;d", "e"}));
  sl.SetStrictDelimiter(true);
  sl.SetDelimitedText(" a b ;'c;d';e");
  EXPECT_EQ(StringsOf(sl), (V{" a b ", "c;d", "e"}));
  EXPECT_EQ(sl.DelimitedText(), " a b ;'c;d';e");
  TStringList back;
  back.SetDelimiter(';');
  back.SetQuoteChar('\'');
  back.SetStrictDelimiter(true);
  back.SetDelimitedText(sl.DelimitedText());
  EXPECT_EQ(StringsOf(back), StringsOf(sl));
}

TEST(TStringList, ChangeEventsAndUpdateBatching) {
  TStringList sl;
  int changing = 0, changed = 0;
  sl.OnChanging = [&](TObject* s) {
    EXPECT_EQ(s, &sl);
    ++changing;
  };
  sl.OnChange = [&](TObject*) { ++changed; };
  sl.Add("a");
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);
  sl.BeginUpdate();
  sl.Add("b");
  sl.Add("c");
  sl.BeginUpdate();
  sl.Delete(0);
  sl.EndUpdate();
  EXPECT_EQ(changed, 1);
  sl.EndUpdate();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  sl.SetText("x\r\ny");
  EXPECT_EQ(changed, 3);  // one change for the whole text
}

TEST(TStringList, AssignAndObjects) {
  TStringList a, b;
  TStringList tag;
  a.AddObject("one", &tag);
  a.Add("two");
  b.Add("old");
  b.Assign(&a);
  EXPECT_EQ(StringsOf(b), (V{"one", "two"}));
  EXPECT_EQ(b.Objects(0), &tag);
  EXPECT_EQ(b.IndexOfObject(&tag), 0);
  EXPECT_TRUE(a.Equals(&b));
  b.Add("three");
  EXPECT_FALSE(a.Equals(&b));
  TList notStrings;
  (void)notStrings;
}

TEST(TStringList, OwnsObjectsFreesThem) {
  int destroyed = 0;
  struct TItem : TObject {
    int* d;
    explicit TItem(int* p) : d(p) {}
    ~TItem() override { ++*d; }
  };
  {
    TStringList sl;
    sl.SetOwnsObjects(true);
    sl.AddObject("a", new TItem(&destroyed));
    sl.AddObject("b", new TItem(&destroyed));
    sl.AddObject("c", new TItem(&destroyed));
    sl.Delete(0);
    EXPECT_EQ(destroyed, 1);
    sl.SetObjects(0, new TItem(&destroyed));
    EXPECT_EQ(destroyed, 2);
  }
  EXPECT_EQ(destroyed, 4);
}

TEST(TStrings, FilesKeepBytesAndSaveAtomically) {
  TTempDir dir;
  std::string f = dir.File("list.txt");
  TStringList sl;
  sl.Add("caf\xe9");
  sl.Add("line two");
  sl.SaveToFile(f);
  EXPECT_EQ(LoadFileBytes(f), "caf\xe9\r\nline two\r\n");
  TStringList back;
  back.LoadFromFile(f);
  EXPECT_EQ(StringsOf(back), StringsOf(sl));
  EXPECT_THROW(back.LoadFromFile(dir.File("missing.txt")), EFOpenError);
  EXPECT_EQ(back.Count(), 2);  // a failed load keeps the list
  EXPECT_THROW(sl.SaveToFile(dir.File("no/such/dir.txt")), EFCreateError);
}

namespace {
// A list that hears of its changes through the virtuals, as control item lists do.
class TCountingList : public TStringList {
 public:
  int changing = 0, changed = 0;

 protected:
  void Changing() override {
    TStringList::Changing();
    if (UpdateCount() == 0) ++changing;
  }
  void Changed() override {
    TStringList::Changed();
    if (UpdateCount() == 0) ++changed;
  }
};
}  // namespace

TEST(TStringList, ABatchOfChangesReachesTheVirtualsOnce) {
  TCountingList l;
  int events = 0;
  l.OnChange = [&](TObject*) { ++events; };
  TStringList src;
  src.SetText("a\nb\nc");
  l.Assign(&src);
  EXPECT_EQ(l.changing, 1);
  EXPECT_EQ(l.changed, 1);
  EXPECT_EQ(events, 1);
  l.BeginUpdate();
  l.Add("d");
  l.Delete(0);
  EXPECT_EQ(l.changed, 1);
  l.EndUpdate();
  EXPECT_EQ(l.changed, 2);
  EXPECT_EQ(events, 2);
}
