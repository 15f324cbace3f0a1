// The grid's inplace editor: per-type character filtering, the length limit
// for typing and pasting, validation on Return, Tab, Up and Down, and the
// cell's colours.
#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Win1252.h"

namespace {
// Characters of a text (UTF-8 sequences count once).
int CharCount(const std::string& s) {
  int n = 0;
  for (unsigned char ch : s)
    if ((ch & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

TExtInplaceEdit::TExtInplaceEdit(TExtStringGrid* AOwner) : TInplaceEdit(AOwner), grid_(AOwner) {}

void TExtInplaceEdit::SetVAlign(bool v) {
  if (v == vAlign_) return;
  vAlign_ = v;
  if (HandleAllocated()) RecreateWnd();
}

void TExtInplaceEdit::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  if (HandleAllocated()) RecreateWnd();
}

void TExtInplaceEdit::CreateParams(TCreateParams& Params) {
  TInplaceEdit::CreateParams(Params);
  wordWrap_ = grid_->WordWrap();
  if (vAlign_) Params.Style |= ES_RIGHT;
  if (grid_->CurrentEditorType() == edPassword) {
    Params.Style |= ES_PASSWORD;
    Params.Style &= ~ES_MULTILINE;
  }
  if (wordWrap_) Params.Style &= ~ES_AUTOHSCROLL;
  Params.Style |= ES_WANTRETURN;
  if (!grid_->Navigation()->AllowCtrlEnter) Params.Style &= ~ES_MULTILINE;
  completionPending_ = false;
  typed_ = true;
}

void TExtInplaceEdit::CreateWnd() {
  TInplaceEdit::CreateWnd();
  SetPasswordChar(grid_->CurrentEditorType() == edPassword ? grid_->PasswordChar : '\0');
  LengthLimit = static_cast<int16_t>(grid_->MaxEditLength);
}

void TExtInplaceEdit::UpdateContents() {
  TInplaceEdit::UpdateContents();
  LengthLimit = static_cast<int16_t>(grid_->MaxEditLength);
  SetPasswordChar(grid_->CurrentEditorType() == edPassword ? grid_->PasswordChar : '\0');
  TCanvas* cv = grid_->Canvas();
  TGridDrawState st = 0;
  TColor to = clNone;
  TAlignment ha = taLeftJustify;
  TVAlignment va = vtaTop;
  bool ww = false;
  cv->Font()->Assign(grid_->Font());
  grid_->GetCellColors(grid_->Col(), grid_->Row(), st, false, true, false, cv->Brush(), to, cv->Font(), ha, va, ww);
  SetColor(cv->Brush()->Color());
  Font()->Assign(cv->Font());
}

void TExtInplaceEdit::BoundsChanged() {
  TInplaceEdit::BoundsChanged();
  TRect r = grid_->CellRectEx(grid_->Col(), grid_->Row());
  if (r.Width() <= 1 || r.Height() <= 1) return;
  int left = r.Left + (grid_->UseRightToLeftAlignment() ? 1 : 0);
  SetBounds(left, r.Top, r.Width() - 1, r.Height() - 1);
  SetFormatRect(TRect(2, 2, Width() - 2, Height()));
}

void TExtInplaceEdit::Change() {
  TInplaceEdit::Change();
  if (!Quiet() && grid_->OnEditChange) grid_->OnEditChange(grid_, grid_->Col(), grid_->Row(), Text());
}

void TExtInplaceEdit::WMGetDlgCode(TMessage& Message) { TInplaceEdit::WMGetDlgCode(Message); }

void TExtInplaceEdit::WMKeyDown(TMessage& Message) { TInplaceEdit::WMKeyDown(Message); }

void TExtInplaceEdit::PutBack(const std::string& Text) {
  SetText(Text);
  if (grid_->Navigation()->EditSelectAll)
    SelectAll();
  else
    SetSel(static_cast<int>(Text.size()), static_cast<int>(Text.size()));
}

void TExtInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TNavigation* nav = grid_->Navigation();
  bool ctrl = Shift & ssCtrl;
  switch (Key) {
    case VK_ESCAPE:
      SetText(grid_->EditStartText());
      grid_->RestoreCellAfterCancel();
      grid_->EndCellControlEdit();
      Key = 0;
      return;
    case VK_TAB:
      if (!(grid_->Options() & goTabs)) break;
      // A refused text gives way to the cell's own (restored or corrected) text; Tab moves on all the same.
      if (!grid_->ValidateOnWayOut(TExtStringGrid::TEditWayOut::EditorKey)) PutBack(grid_->GetCurrentCellText());
      grid_->EndCellControlEdit();
      grid_->TabToNextCell(Shift & ssShift);
      Key = 0;
      return;
    case VK_UP:
    case VK_DOWN: {
      bool edge = Key == VK_UP ? CaretLine() == 0 : CaretLine() >= LineCount() - 1;
      if (!edge) return;  // the caret moves between the text's lines
      std::string typed = Text();
      // A text the cell shows already is not written again (a rich-text cell's plain text keeps its rich text).
      if (typed != grid_->GetEditText(grid_->Col(), grid_->Row())) {
        auto store = grid_->StoringFromEditorScope();
        grid_->SetCurrentCellText(typed);
      }
      if (!grid_->ValidateOnWayOut(TExtStringGrid::TEditWayOut::EditorKey)) {
        PutBack(typed);
        Key = 0;
        return;
      }
      break;
    }
    case VK_RETURN:
      ctrlReturn_ = ctrl;
      if (ctrl || (Shift & ssShift)) SizeRowForNewLine();
      if (nav->LineFeedOnEnter && ctrl) {
        InsertText("\r\n");
        Key = 0;
        return;
      }
      if (!nav->LineFeedOnEnter && !ctrl) {
        if (!grid_->ValidateOnWayOut(TExtStringGrid::TEditWayOut::EditorKey)) {
          // A refused Return leaves the cell's text (restored or corrected) in the editor.
          PutBack(grid_->GetCurrentCellText());
          Key = 0;
          return;
        }
      }
      break;
    case VK_HOME:
    case VK_END:
      // Without Ctrl or Shift they move the caret only, even at the text's ends.
      if (Shift & (ssShift | ssCtrl)) break;
      if (Key == VK_HOME)
        SetSel(0, 0);
      else
        SetSel(static_cast<int>(Text().size()), static_cast<int>(Text().size()));
      Key = 0;
      return;
    case VK_LEFT:
    case VK_RIGHT: {
      // With CursorWalkEditor an arrow at the text's end (start) always leaves the cell.
      const int edge = Key == VK_RIGHT ? static_cast<int>(Text().size()) : 0;
      if (!nav->CursorWalkEditor || (Shift & (ssShift | ssCtrl | ssAlt)) || SelLength() != 0 || SelStart() != edge)
        break;
      if (!grid_->WalkOutOfEditor(Key == VK_LEFT)) PutBack(grid_->GetCurrentCellText());
      Key = 0;
      return;
    }
    default: break;
  }
  typed_ = Key != VK_BACK && Key != VK_DELETE;
  TInplaceEdit::KeyDown(Key, Shift);
}

bool TExtInplaceEdit::TakesLineFeeds() const {
  switch (grid_->CurrentEditorType()) {
    case edNormal: case edCapital: case edMixedCase: case edLowerCase: case edUpperCase: return true;
    default: return false;
  }
}

bool TExtInplaceEdit::FilterChar(char32_t& Ch) {
  if (Ch == 8 || Ch == 27 || Ch == 13) return true;
  // The limit counts characters of a plain text; a masked text has the mask's length and is overwritten.
  if (LengthLimit > 0 && !IsMasked() && CharCount(Text()) >= LengthLimit && SelLength() == 0) return false;
  // Only the keypad's point stands for the decimal separator; the main keyboard's stays a point.
  if (grid_->ExcelStyleDecimalSeparator && Ch == '.' && keypadChar_)
    Ch = static_cast<char32_t>(FormatSettings.DecimalSeparator);
  std::string t = Text();
  int ss = SelStart(), sl = SelLength();
  auto outsideSel = [&](char c) {
    std::string rest = t.substr(0, static_cast<size_t>(ss)) + t.substr(static_cast<size_t>(ss + sl));
    return rest.find(c) != std::string::npos;
  };
  switch (grid_->CurrentEditorType()) {
    case edNumeric:
      if (Ch == '-') {
        if (t.find('-') != std::string::npos || ss != 0) return MessageBeep(0), false;
        return true;
      }
      if (Ch >= '0' && Ch <= '9') return true;
      return MessageBeep(0), false;
    case edPositiveNumeric:
      if (Ch >= '0' && Ch <= '9') return true;
      return MessageBeep(0), false;
    case edFloat: {
      char dec = FormatSettings.DecimalSeparator, th = FormatSettings.ThousandSeparator;
      if (Ch >= '0' && Ch <= '9') return true;
      if (Ch == static_cast<char32_t>(dec)) return !outsideSel(dec);
      if (Ch == static_cast<char32_t>(th)) return false;
      if (Ch == '-') {
        if (ss == 0 && t.find('-') == std::string::npos) return true;
        if (t.substr(static_cast<size_t>(ss), static_cast<size_t>(sl)).find('-') != std::string::npos) return true;
        return MessageBeep(0), false;
      }
      // A point and a comma are always accepted, whichever separators the locale has.
      return Ch == ',' || Ch == '.';
    }
    case edCapital:
    case edUpperCase:
      Ch = ExtUtil::CharInCase(Ch, true);
      return true;
    case edLowerCase:
      Ch = ExtUtil::CharInCase(Ch, false);
      return true;
    default:
      return true;
  }
}

void TExtInplaceEdit::EditChar(char32_t Ch) {
  if (!FilterChar(Ch)) return;
  TInplaceEdit::EditChar(Ch);
  if (grid_->CurrentEditorType() == edMixedCase) {
    int caret = SelStart();
    SetText(ExtUtil::CapitalizeName(Text()));
    SetSel(caret, caret);
  }
  if (grid_->Navigation()->AdvanceAuto && MaskFilled()) AdvanceFromFilledMask();
}

bool TExtInplaceEdit::MaskFilled() const {
  if (!IsMasked() || SelLength() != 0) return false;
  const TMaskLayout& m = Layout();
  return EditText().find(m.Blank()) == std::string::npos && m.NextInput(MaskPosAt(SelStart())) >= m.Length();
}

// As Return would: the text is validated (a refusal keeps the cell) and the cursor goes on, also
// without AdvanceOnEnter, which the switch for filled fields does not need.
void TExtInplaceEdit::AdvanceFromFilledMask() {
  if (!grid_->ValidateOnWayOut(TExtStringGrid::TEditWayOut::EditorKey)) {
    PutBack(grid_->GetCurrentCellText());
    return;
  }
  grid_->AdvanceCell(grid_->Col(), grid_->Row(), false, false, true);
}

// Ctrl or Shift+Return starts a line: the row takes the lines the text will have.
void TExtInplaceEdit::SizeRowForNewLine() {
  if (!grid_->SizeWhileTyping()->Height || !grid_->Multilinecells) return;
  const int r = grid_->Row();
  const int lines = ExtUtil::LineCount(Text() + "\r\n ", true);
  if (lines >= grid_->RowLineCapacity(r))
    grid_->SizeRowForLines(r, lines, 2 * grid_->GridLineWidth() + grid_->CellMarginY);
  else
    grid_->AutoSizeRowEx(r, true);
  if (grid_->OnEndRowSize) grid_->OnEndRowSize(grid_, r);
}

// The column widens to the typed text; with word wrap the row takes its lines. Typing only grows
// them: a line or column the owner sized never shrinks under the user's keys.
void TExtInplaceEdit::SizeToText() {
  const TSizeWhileTyping* s = grid_->SizeWhileTyping();
  if (s->Width) grid_->AutoSizeColumnEx(grid_->Col(), true);
  if (s->Height && grid_->WordWrap()) {
    grid_->AutoSizeRowEx(grid_->Row(), true);
    if (grid_->OnEndRowSize) grid_->OnEndRowSize(grid_, grid_->Row());
  }
}

void TExtInplaceEdit::KeyPress(char& Key) { TInplaceEdit::KeyPress(Key); }

void TExtInplaceEdit::KeyUp(WORD& Key, TShiftState Shift) {
  TInplaceEdit::KeyUp(Key, Shift);
  grid_->editorFormula_ = Text().rfind('=', 0) == 0;
  if (Key == VK_LEFT || Key == VK_RIGHT) return;
  LookupComplete();
  SizeToText();
}

void TExtInplaceEdit::LookupComplete() {
  if (!typed_ || SelLength() != 0 || !grid_->Lookup || grid_->LookupItems()->Count() == 0) return;
  std::string prefix = Text().substr(0, static_cast<size_t>(SelStart()));
  if (prefix.empty()) return;
  auto norm = [&](const std::string& s) { return grid_->LookupCaseSensitive ? s : AnsiUpperCase(s); };
  std::string p = norm(prefix);
  TStringList* items = grid_->LookupItems();
  for (int i = items->Count() - 1; i >= 0; --i) {
    std::string it = items->Strings(i);
    if (it.size() < prefix.size() || norm(it.substr(0, prefix.size())) != p) continue;
    SetText(prefix + it.substr(prefix.size()));
    SetSel(static_cast<int>(Text().size()), static_cast<int>(prefix.size()));
    completionPending_ = false;
    return;
  }
}

void TExtInplaceEdit::DblClick() {
  TInplaceEdit::DblClick();
  if (grid_->OnDblClickCell) grid_->OnDblClickCell(grid_, grid_->Row(), grid_->Col());
}

void TExtInplaceEdit::DoEnter() {
  TInplaceEdit::DoEnter();
  TPoint press;
  const bool byClick = grid_->TakeCaretPress(press);
  if (IsMasked() && !byClick && grid_->Navigation()->ImproveMaskSel) {
    SetSel(0, ByteOffsetOf(1));
    return;
  }
  if (!grid_->Navigation()->EditSelectAll) {
    int n = static_cast<int>(Text().size());
    SetSel(n, n);
  }
  if (!byClick) return;
  // The press point is in the grid's client coordinates; the caret goes where it fell.
  const TPoint p(press.X - Left(), press.Y - Top());
  if (p.X < 0 || p.Y < 0 || p.X >= Width() || p.Y >= Height()) return;
  const int at = CharFromPos(p);
  if (at >= 0) SetSel(at, at);
}

void TExtInplaceEdit::DoExit() {
  if (grid_->LookupHistory && grid_->LookupItems()->IndexOf(Text()) < 0) grid_->LookupItems()->Add(Text());
  grid_->editorFormula_ = false;
  TInplaceEdit::DoExit();
  if (!grid_->EditActive()) return;
  if (grid_->Focused()) grid_->EditingDone();
  grid_->ValidateOnWayOut(TExtStringGrid::TEditWayOut::FocusLeaves);
}

bool TExtInplaceEdit::FilterPaste(std::string& Text) {
  switch (grid_->CurrentEditorType()) {
    case edNumeric: return ExtUtil::NumberTextKind(Text) == 0;
    case edPositiveNumeric: return ExtUtil::NumberTextKind(Text) == 0 && Text.find('-') == std::string::npos;
    case edFloat: return ExtUtil::NumberTextKind(Text) <= 1;
    case edMixedCase: Text = ExtUtil::CapitalizeName(Text); return true;
    case edUpperCase: Text = ExtUtil::TextInCase(Text, true); return true;
    case edLowerCase: Text = ExtUtil::TextInCase(Text, false); return true;
    default: return true;
  }
}

void TExtInplaceEdit::Paste() {
  if (!Clipboard()->HasFormat(CF_TEXT)) return;
  bool allow = true;
  if (grid_->OnClipboardPaste) grid_->OnClipboardPaste(this, allow);
  std::string text = Clipboard()->AsText();
  if (grid_->OnClipboardBeforePasteCell) grid_->OnClipboardBeforePasteCell(this, grid_->Col(), grid_->Row(), text, allow);
  if (!allow) return;
  if (LengthLimit >= 1 && CharCount(text) > LengthLimit) return;
  if (IsMasked()) {
    // Pasted text is typed: every character must fit its mask position, or nothing is pasted.
    const TMaskLayout& m = Layout();
    int p = m.NextInput(MaskPosAt(SelStart()));
    std::u16string w = ExtUtil::DecodeWideText(text);
    for (char16_t ch : w) {
      std::string c = Utf16ToUtf8(std::u16string(1, ch));
      if (p >= m.Length() || !m.Fit(p, c)) return;
      p = m.NextInput(p + 1);
    }
    for (char16_t ch : w) EditChar(ch);
    return;
  }
  std::string t = Text();
  int ss = SelStart(), sl = SelLength();
  const std::string tail = t.substr(static_cast<size_t>(ss + sl));
  std::string result = t.substr(0, static_cast<size_t>(ss)) + text + tail;
  if (LengthLimit > 0 && CharCount(result) > LengthLimit) return;
  // The whole new text is judged and re-cased: a pasted "-3" behind "12" is no integer.
  if (!FilterPaste(result)) return;
  SelectAll();
  SetSelText(result);
  const int caret = std::max(0, static_cast<int>(result.size()) - static_cast<int>(tail.size()));
  SetSel(caret, caret);
}

void TExtInplaceEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR: {
      // The character of Ctrl+Return is a line break of a multi-line editor (where the window system
      // gives it as a Return), never the Return that ends the edit; with LineFeedOnEnter the key
      // has put the line break in already.
      if (ctrlReturn_ && Message.WParam == '\r') {
        ctrlReturn_ = false;
        TNavigation* nav = grid_->Navigation();
        if (nav->LineFeedOnEnter || nav->AllowCtrlEnter) {
          if (!nav->LineFeedOnEnter) InsertText("\r\n");
          Message.Result = 1;
          return;
        }
      }
      ctrlReturn_ = false;
      if (Message.WParam == '\r' && grid_->Navigation()->LineFeedOnEnter && TakesLineFeeds()) {
        InsertText("\r\n");
        Message.Result = 1;
        return;
      }
      keypadChar_ = (Message.LParam & KF_KEYPAD_LPARAM) != 0;
      TInplaceEdit::WndProc(Message);
      keypadChar_ = false;
      return;
    }
    case WM_PASTE:
      Paste();
      return;
    case WM_COPY:
    case WM_CUT: {
      bool allow = true;
      auto& ev = Message.Msg == WM_COPY ? grid_->OnClipboardCopy : grid_->OnClipboardCut;
      if (ev) ev(this, allow);
      if (!allow) return;
      break;
    }
    default: break;
  }
  TInplaceEdit::WndProc(Message);
}
