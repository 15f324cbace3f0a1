// The typed edit's drop-down lookup list and the value and lookup history kept
// in an INI file or the registry between runs.
#include <algorithm>
#include <memory>

#include "controls/inspector/ExtEdit.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WinWindow.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"

namespace {
constexpr int kItemHeight = 12;
// How far from the right and bottom edges the list window's sizing corner reaches.
constexpr int kSizeCorner = 10;
// An INI file of the edits' persistence holds a few lists of names; more is damage.
constexpr int64_t kMaxIniBytes = 1 << 20;
// What the loader may keep of one list, whatever a damaged count says.
constexpr int kMaxLookupEntries = 100000;
}  // namespace

// ---------------------------------------------------------------- settings objects
TLookupSettings::TLookupSettings() : display_(std::make_unique<TStringList>()), value_(std::make_unique<TStringList>()) {}

void TLookupSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TLookupSettings*>(Source);
  if (!s) return TPersistent::Assign(Source);
  display_->Assign(s->display_.get());
  value_->Assign(s->value_.get());
  Enabled = s->Enabled;
  numChars_ = s->numChars_;
  displayCount_ = s->displayCount_;
  Color = s->Color;
  CaseSensitive = s->CaseSensitive;
  History = s->History;
  Multi = s->Multi;
  Separator = s->Separator;
}

void TPersistence::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TPersistence*>(Source);
  if (!s) return TPersistent::Assign(Source);
  Enable = s->Enable;
  Key = s->Key;
  Section = s->Section;
  Location = s->Location;
}

TListHintWindow::TListHintWindow(TComponent* AOwner) : THintWindow(AOwner) {
  takesMouse_ = true;
  SetDropShadow(true);
  SetBounds(0, 0, 0, 0);
  ListControl = new TListBox(this);
  ListControl->SetParent(this);
  ListControl->SetStyle(lbOwnerDrawFixed);
  ListControl->SetItemHeight(kItemHeight);
  ListControl->SetBorderStyle(bsNone);
  ListControl->SetTabStop(true);
}

void TListHintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg != WM_NCHITTEST) return THintWindow::Dispatch(Message);
  const TPoint p = ScreenToClient(TPoint(Message.XPos(), Message.YPos()));
  const bool inside = p.X >= 0 && p.Y >= 0 && p.X < Width() && p.Y < Height();
  Message.Result = inside && p.X >= Width() - kSizeCorner && p.Y >= Height() - kSizeCorner ? HTBOTTOMRIGHT : HTCLIENT;
}

void TListHintWindow::Resize() {
  THintWindow::Resize();
  if (ListControl) ListControl->SetBounds(1, 1, std::max(0, Width() - 2), std::max(0, Height() - 2));
}

// ---------------------------------------------------------------- lookup list
bool TExtEdit::LookupShown() const { return lookupWindow_ && lookupWindow_->Active(); }

void TExtEdit::HideLookup() {
  if (lookupWindow_) lookupWindow_->ReleaseHandle();
}

void TExtEdit::UpdateLookup() {
  if (!lookup_->Enabled || !lookupWindow_) return;
  std::string search = Text();
  size_t start = 0;
  if (lookup_->Multi) {
    size_t k = search.rfind(lookup_->Separator);
    if (k != std::string::npos) start = k + 1;
    search = search.substr(start);
  }
  if (static_cast<int>(search.size()) < lookup_->NumChars()) return HideLookup();

  TListBox* list = lookupWindow_->ListControl;
  const TStringList* display = lookup_->DisplayList();
  const std::string key = lookup_->CaseSensitive ? search : AnsiUpperCase(search);
  std::vector<std::pair<std::string, int>> found;
  for (int i = 0; i < display->Count(); ++i) {
    const std::string& e = display->Get(i);
    if (e.size() < key.size()) continue;
    const std::string head = e.substr(0, key.size());
    if ((lookup_->CaseSensitive ? head : AnsiUpperCase(head)) == key) found.emplace_back(e, i);
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return ExtEditRules::LookupBefore(a.first, b.first); });

  list->Items()->BeginUpdate();
  list->Items()->Clear();
  lookupWindow_->Indexes.clear();
  int widest = 50;
  TCanvas* c = lookupWindow_->Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetSize(8);
  list->Font()->Assign(c->Font());
  for (const auto& [text, index] : found) {
    list->Items()->Add(text);
    lookupWindow_->Indexes.push_back(index);
    widest = std::max(widest, c->TextWidth(text));
  }
  list->Items()->EndUpdate();
  list->SetColor(lookup_->Color);
  if (!found.empty()) list->SetItemIndex(0);
  if (found.empty()) return HideLookup();

  const int shown = std::min<int>(static_cast<int>(found.size()), lookup_->DisplayCount());
  const int height = shown * kItemHeight + 4;
  if (static_cast<int>(found.size()) > lookup_->DisplayCount()) widest += GetSystemMetrics(SM_CXHSCROLL);
  // Under the caret where the searched part starts.
  const TPoint at = PosFromChar(State().PrefixLen + static_cast<int>(start));
  const TPoint origin = ClientOrigin();
  const TPoint want(origin.X + 8 + std::max(0, at.X), origin.Y + Height() - 6);
  // A shown list keeps the width the user gave it.
  const int width = LookupShown() ? lookupWindow_->Width() : widest + 10;
  // On the screen the edit is on, within its work area.
  const TRect editRect(origin.X, origin.Y, origin.X + Width(), origin.Y + Height());
  const TRect work = Screen ? Screen->MonitorFromRect(editRect).WorkareaRect : TRect(0, 0, 1 << 20, 1 << 20);
  lookupWindow_->SetColor(clWindow);
  lookupWindow_->ActivateHint(ExtEditRules::LookupPlace(want, width, height, editRect, work), std::string());
  // Inside the window's one-pixel frame.
  list->SetBounds(1, 1, std::max(0, lookupWindow_->Width() - 2), std::max(0, lookupWindow_->Height() - 2));
}

void TExtEdit::MoveLookupSelection(WORD Key) {
  TListBox* list = lookupWindow_->ListControl;
  const int n = list->Items()->Count(), i = list->ItemIndex(), page = lookup_->DisplayCount();
  if (n == 0) return;
  int to = i;
  switch (Key) {
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    case VK_NEXT: to = std::min(n - 1, i + page); break;
    case VK_PRIOR: to = std::max(0, i - page); break;
    case VK_UP: to = std::max(0, i - 1); break;
    case VK_DOWN: to = std::min(n - 1, i + 1); break;
    default: break;
  }
  list->SetItemIndex(to);
}

void TExtEdit::ChooseLookupEntry() {
  if (!lookupWindow_) return;
  TListBox* list = lookupWindow_->ListControl;
  const int i = list->ItemIndex();
  if (CanFocus() && !Focused()) SetFocus();
  HideLookup();
  if (i < 0 || i >= static_cast<int>(lookupWindow_->Indexes.size())) return;
  const int index = lookupWindow_->Indexes[static_cast<size_t>(i)];
  std::string value = index < lookup_->ValueList()->Count() ? lookup_->ValueList()->Get(index) : list->Items()->Get(i);
  if (OnLookupSelect) OnLookupSelect(this, value);
  if (OnLookupIndexSelect) OnLookupIndexSelect(this, index, value);
  if (!lookup_->Multi) {
    SetText(value);
    SelectValue();
  } else {
    std::string t = Text();
    size_t k = t.rfind(lookup_->Separator);
    SetText((k == std::string::npos ? std::string() : t.substr(0, k + 1)) + value);
    SetSel(static_cast<int>(text_.size() - suffix_.size()), static_cast<int>(text_.size() - suffix_.size()));
    PushToPeer();
  }
}

// ---------------------------------------------------------------- persistence
namespace {
// The store of one edit's value: a section of an INI file or a registry key.
class TEditStore {
 public:
  virtual ~TEditStore() = default;
  virtual bool Has(const std::string& Name) = 0;
  virtual std::string Read(const std::string& Name, const std::string& Default) = 0;
  virtual void Write(const std::string& Name, const std::string& Value) = 0;
  virtual int KeyCount() = 0;
  virtual void Erase(const std::string& Name) = 0;
  virtual void Commit() = 0;
};

class TIniStore : public TEditStore {
 public:
  // A file that is there but cannot be read stops loading and saving alike.
  TIniStore(const std::string& File, const std::string& Section) : ini_(""), section_(Section) {
    ini_.OpenForUpdate(File, kMaxIniBytes);
  }
  bool Has(const std::string& Name) override { return ini_.ValueExists(section_, Name); }
  std::string Read(const std::string& Name, const std::string& Default) override {
    return ini_.ReadString(section_, Name, Default);
  }
  void Write(const std::string& Name, const std::string& Value) override { ini_.WriteString(section_, Name, Value); }
  int KeyCount() override {
    TStringList keys;
    ini_.ReadSection(section_, &keys);
    return keys.Count();
  }
  void Erase(const std::string& Name) override { ini_.DeleteKey(section_, Name); }
  void Commit() override {
    const std::string dir = ExtractFileDir(ini_.FileName());
    if (!dir.empty() && !DirectoryExists(dir)) ForceDirectories(dir);
    ini_.UpdateFile();
  }

 private:
  TMemIniFile ini_;
  std::string section_;
};

class TRegistryStore : public TEditStore {
 public:
  TRegistryStore(const std::string& Key, const std::string& Section, bool ForWriting) {
    std::string path = "\\" + Key + (Section.empty() ? "" : "\\" + Section);
    open_ = ForWriting ? reg_.OpenKey(path, true) : reg_.OpenKeyReadOnly(path);
  }
  bool Has(const std::string& Name) override { return open_ && reg_.ValueExists(Name); }
  std::string Read(const std::string& Name, const std::string& Default) override {
    if (!Has(Name)) return Default;
    return reg_.GetDataType(Name) == rdString || reg_.GetDataType(Name) == rdExpandString
               ? reg_.ReadString(Name)
               : IntToStr(reg_.ReadInteger(Name));
  }
  void Write(const std::string& Name, const std::string& Value) override { reg_.WriteString(Name, Value); }
  int KeyCount() override {
    if (!open_) return 0;
    TStringList names;
    reg_.GetValueNames(&names);
    return names.Count();
  }
  void Erase(const std::string& Name) override {
    if (open_) reg_.DeleteValue(Name);
  }
  void Commit() override {
    reg_.CloseKey();
    if (!TRegistry::FlushStore()) throw Exception(TRegistry::StoreError());
  }

 private:
  TRegistry reg_;
  bool open_ = false;
};

std::unique_ptr<TEditStore> OpenStore(TPersistence& P, bool ForWriting) {
  if (P.Location == plRegistry) return std::make_unique<TRegistryStore>(P.Key, P.Section, ForWriting);
  if (P.Key.empty()) P.Key = TExtEdit::DefaultIniFile();
  return std::make_unique<TIniStore>(P.Key, P.Section);
}

// Whether a saved window text still reads as a value of the edit's type.
bool FitsType(TExtEditType Type, const std::string& Value) {
  using namespace ExtEditRules;
  switch (Type) {
    case etNumeric: return Value.empty() || IsInteger(Value);
    case etFloat:
    case etMoney: return Value.empty() || IsInteger(Value) || IsDecimal(Value);
    case etHex:
      return std::all_of(Value.begin(), Value.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == '-'; });
    default: return true;
  }
}

void Report(TExtEdit* Edit, Exception& E) {
  if (Application) Application->HandleException(Edit, E);
}
}  // namespace

std::string TExtEdit::DefaultIniFile() {
  std::string exe = Application ? ExtractFileName(Application->ExeName()) : std::string();
  if (exe.empty()) exe = "velmaron";
  return IncludeTrailingPathDelimiter(UserConfigDir()) + ChangeFileExt(exe, ".ini");
}

void TExtEdit::LoadPersistence() {
  if (!persistence_->Enable) return;
  try {
    auto store = OpenStore(*persistence_, false);
    if (lookup_->Enabled && lookup_->History && store->Has("LOOKUPCOUNT")) {
      const int stored = StrToIntDef(store->Read("LOOKUPCOUNT", "0"), 0);
      // A damaged count cannot reach past the keys that are there.
      const int count = std::clamp(std::min(stored, store->KeyCount()), 0, kMaxLookupEntries);
      TStringList display, values;
      int lastValue = -1;
      for (int i = 1; i <= count; ++i) {
        const std::string n = IntToStr(i);
        const std::string d = store->Read("LOOKUPDISPL" + n, "");
        if (d.empty()) continue;
        display.Add(d);
        // An empty value keeps its place, so values stay paired with their entries.
        values.Add(store->Read("LOOKUPVAL" + n, ""));
        if (store->Has("LOOKUPVAL" + n)) lastValue = values.Count() - 1;
      }
      while (values.Count() > lastValue + 1) values.Delete(values.Count() - 1);
      lookup_->DisplayList()->Assign(&display);
      lookup_->ValueList()->Assign(&values);
    }
    const std::string v = store->Read(Name(), "@");
    if (v != "@" && FitsType(editType_, ExtEditRules::StripAffixes(v, prefix_, suffix_))) TCustomEdit::SetText(v);
  } catch (Exception& E) {
    Report(this, E);
  }
}

void TExtEdit::SavePersistence() {
  if (!persistence_->Enable) return;
  try {
    auto store = OpenStore(*persistence_, true);
    store->Write(Name(), prefix_ + Text() + suffix_);
    if (lookup_->Enabled && lookup_->History) {
      const TStringList* d = lookup_->DisplayList();
      const TStringList* v = lookup_->ValueList();
      const int old = StrToIntDef(store->Read("LOOKUPCOUNT", "0"), 0);
      store->Write("LOOKUPCOUNT", IntToStr(d->Count()));
      for (int i = 0; i < d->Count(); ++i) {
        const std::string n = IntToStr(i + 1);
        store->Write("LOOKUPDISPL" + n, d->Get(i));
        if (i < v->Count()) store->Write("LOOKUPVAL" + n, v->Get(i));
        else store->Erase("LOOKUPVAL" + n);
      }
      // Entries of a longer list saved before would come back as stale pairs.
      for (int i = d->Count() + 1; i <= std::min(old, kMaxLookupEntries); ++i) {
        store->Erase("LOOKUPDISPL" + IntToStr(i));
        store->Erase("LOOKUPVAL" + IntToStr(i));
      }
    }
    store->Commit();
  } catch (Exception& E) {
    Report(this, E);
  }
}
