// Random sequences of keys, typed characters, clicks, double clicks, wheel
// steps and property changes driven into a grid component with merged
// areas, hidden rows, fixed footers and read-only cells on a shown window.
// After every step the current cell must be a real cell, no stored text may
// change except in the cell being edited (steps that add, remove or hide rows
// are checked for a real current cell only), and an edited cell is validated on
// every way out: the validation refuses any text with a 'z', so no cell but the
// current one may hold one. Lookup typing, searches, sizing drags and
// highlighting are driven too; a highlight taken off again leaves every text
// as it was. Sorts keep every row once, nodes fold and unfold, and Group then
// UnGroup gives the table back. The open in-cell control's own parts are driven
// too: spin buttons, the combo's wheel, unit and edit buttons, the date picker's
// calendar and a custom editor on a pop-up form.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtGridEditLink.h"
#include "controls/grid/ExtGridEditors.h"
#include "controls/grid/ExtGridFooters.h"
#include "controls/grid/GridHints.h"
#include "fuzz/FuzzInput.h"
#include "platform/gui/Calendar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Timer.h"
#include "platform/gui/Messages.h"
#include "tests/controls/grid/TextEditLink.h"

namespace {

TForm* gForm = nullptr;
bool gTrace = false;  // FUZZ_TRACE=1: each step is written to stderr, to read a kept input as a sequence

void Trace(int step, int op, uint8_t a, uint8_t b, TExtStringGrid& g) {
  if (!gTrace) return;
  static const char* kOps[] = {"key", "key", "char", "char", "click", "double click", "wheel", "right click",
                               "setting", "lines", "view", "control"};
  fprintf(stderr, "step %d: %s a=%d b=%d\n", step, kOps[op], a, b);
  (void)g;
}

void TraceState(TExtStringGrid& g) {
  if (!gTrace) return;
  TInplaceEdit* e = g.InplaceEditor();
  fprintf(stderr, "  -> cell %d,%d, editing %s, edit %s on %d,%d from '%s', editor %s%s '%s'\n", g.Col(), g.Row(),
          g.Options() & goEditing ? "on" : "off", g.EditActive() ? "active" : "idle", g.EditCell().X, g.EditCell().Y,
          g.EditStartText().c_str(), e && e->Visible() ? "shown" : "hidden", e && e->Focused() ? " focused" : "",
          e ? e->Text().c_str() : "");
}

std::vector<std::string> Texts(TExtStringGrid& g) {
  std::vector<std::string> v;
  for (int r = 0; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) v.push_back(g.GridCells(c, r));
  return v;
}

// Each row's cells in one text, to compare rows as wholes.
std::vector<std::string> RowTexts(TExtStringGrid& g) {
  std::vector<std::string> v;
  for (int r = g.FixedRows(); r < g.RowCount() - g.FixedFooters(); ++r) {
    std::string row;
    for (int c = 0; c < g.ColCount(); ++c) row += g.GridCells(c, r) + '\x1f';
    v.push_back(row);
  }
  return v;
}

// The control keys go to: the inplace editor or an in-cell control while it has the focus, else the grid.
TWinControl* KeyTarget(TExtStringGrid& g) {
  TInplaceEdit* e = g.InplaceEditor();
  if (e && e->Visible() && e->Focused()) return e;
  if (TWinControl* c = g.ActiveCellEditor(); c && c->Focused()) return c;
  return &g;
}

// Lookup typing, the cell search, highlighting there and back, sizing drags, a cell brought into
// view, the search footer's actions, the floating footer (styles, templates, its paint and hints)
// and balloons over cells. True when the step may change texts or lines.
bool ViewStep(TExtStringGrid& g, TReader& in, uint8_t a, uint8_t b) {
  static const char* kFind[] = {"1", "0", "\"\"", "<", "&", "10*", "Z"};
  const std::string text = kFind[b % 7];
  switch (a % 8) {
    case 0: {  // typing to jump: the grid leaves editing for it
      g.SetOptions(g.Options() & ~goEditing);
      g.Navigation()->AutoGotoWhenSorted = true;
      g.Navigation()->AutoGotoIncremental = b & 1;
      const int was = g.Row();
      static const char kTyped[] = {'1', '0', '5', 8, 'x', '2'};
      for (int i = 0; i < 1 + (b >> 5); ++i) {
        KeyTarget(g)->Perform(WM_CHAR, static_cast<WPARAM>(kTyped[(b + i) % 6]), 0);
        TraceState(g);
      }
      if (b & 2) g.Perform(WM_TIMER, 111, 0);
      const int last = g.RowCount() - 1 - g.FixedFooters();
      Check(g.Row() == was || g.Row() <= last, "a lookup never lands on a footer row");
      return false;
    }
    case 1: {
      TPoint found(7, 7);
      const TFindFlags flags = (static_cast<TFindFlags>(in.Byte()) << 8 | b) & 0x3FFF & ~ffGotoFound;
      g.FindCell(TPoint(static_cast<int>(in.Byte() % 8) - 1, static_cast<int>(in.Byte() % 16) - 1), text, found, flags);
      Check((found.X == -1 && found.Y == -1) ||
                (found.X >= 0 && found.Y >= 0 && found.Y < g.RowCount() && found.X < g.AllColCount()),
            "a found cell is a cell of the grid");
      return false;
    }
    case 2: {  // highlight and back: every stored text as it was
      std::vector<std::string> before = Texts(g);
      // Highlights nest: one on already (the search footer's) would lie under the next and go
      // with it. So it is taken off first, changing no cell that shows no highlight.
      auto lit = [](const std::string& t) { return t.find("</hi>") != std::string::npos; };
      const bool wasLit = std::any_of(before.begin(), before.end(), lit);
      if (wasLit) {
        g.UnHilightInGrid(true);
        const std::vector<std::string> off = Texts(g);
        for (size_t i = 0; i < before.size(); ++i)
          Check(lit(before[i]) || off[i] == before[i], "taking a highlight off changes only highlighted cells");
        before = off;
      }
      g.HilightInGrid(b & 1, b & 2, text);
      if (b & 128) {  // a second highlight of another tag over the first, taken off first
        const TGridRect all{0, 0, g.ColCount() - 1, g.RowCount() - 1};
        g.HilightInRange(all, false, kFind[in.Byte() % 7], "mark");
        g.UnHilightInRange(all, "mark");
      }
      g.UnHilightInGrid(b & 1);
      Check(Texts(g) == before, "the highlight's way back is exact");
      return wasLit;
    }
    case 3: {  // a sizing drag on a header border, all columns or rows scaled
      g.MouseActions()->AllColumnSize = b & 1;
      g.MouseActions()->AllRowSize = b & 2;
      g.SetOptions(g.Options() | goColSizing | goRowSizing);
      const int c = b % g.ColCount();
      TRect cr = g.CellRect(c, 0);
      if (cr.Width() <= 0) return false;
      const int y = (cr.Top + cr.Bottom) / 2, dx = static_cast<int>(in.Byte() % 61) - 30;
      g.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(cr.Right, y));
      // A press the grid takes for no sizing (the grid's outer edge) is a header click: it may sort.
      const bool sizing = g.GridState() == gsColSizing;
      g.Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(cr.Right + dx, y));
      g.Perform(WM_LBUTTONUP, 0, MakeLParam(cr.Right + dx, y));
      for (int i = 0; i < g.ColCount(); ++i) Check(g.ColWidths(i) >= 0 && g.ColWidths(i) < 40000, "widths stay sane");
      return !sizing;
    }
    case 4: {
      const int c = b % g.ColCount(), r = in.Byte() % g.RowCount();
      g.ScrollInView(c, r);
      return false;
    }
    case 6: {  // the floating footer: styles, templates naming any column, its paint, hints by column
      TFloatingFooter* f = g.FloatingFooter();
      static const char* kTemplates[] = {"<#1>", "<#-1>x", "<#99999999999><b><#2", "<#>", "a<#0>b<#3>&lt;"};
      switch (b % 4) {
        case 0: f->SetVisible(!f->Visible()); break;
        case 1: f->SetFooterStyle(static_cast<TFooterStyle>((b >> 2) % 3)); break;
        case 2:
          f->SetCustomTemplate(kTemplates[(b >> 2) % 5]);
          f->SetColumn(static_cast<int>(in.Byte() % 12) - 2);
          break;
        default: f->SetShowHint(b & 4); break;
      }
      if (f->Visible()) {
        TFooterPanel* p = g.FooterPanel();
        p->Repaint();
        THintInfo info;
        info.CursorPos = TPoint(in.Byte() * 2, 3);
        p->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
        Check(p->HintColumn() >= -1 && p->HintColumn() < g.AllColCount(), "a footer hint names a column of the grid");
      }
      return true;  // the footer's visibility sets FixedFooters
    }
    case 7: {  // balloons over the cells the pointer rests on
      if (b & 1) g.Balloon()->SetEnable(!g.Balloon()->Enable());
      if (g.BalloonWindow()) {
        g.Perform(WM_MOUSEMOVE, 0, MakeLParam(in.Byte() * 2, in.Byte()));
        g.BalloonTimer()->Tick();
        Check(g.BalloonWindow()->BalloonText().size() <= 1024, "a balloon's text keeps its limit");
      }
      return false;
    }
    default:
      switch (b % 4) {
        case 0: g.SearchFooterEditChange(text, b & 4, b & 8); break;
        case 1: g.SearchFooterFind(text, b & 4); break;
        case 2: g.SearchFooterHighlight(b & 4, text); break;
        default: g.SearchFooterHighlight(false, text); break;
      }
      return true;  // the footer's highlight stays on until it is turned off
  }
}

// The open in-cell control's own parts: spin buttons, the combo's wheel (over the box, or over the
// grid with the list open or closed), the unit menu (ids in and out of its list), the edit button,
// the date picker's calendar (dropped, a day picked, closed) or its spin pair, a click beside a
// pop-up editor.
void ControlStep(TExtStringGrid& g, TEditLink* link, uint8_t a, uint8_t b) {
  TWinControl* c = g.ActiveCellEditor();
  if (!c) return;
  if (auto* s = dynamic_cast<TGridSpin*>(c)) {
    (a & 1) ? s->UpClick(s) : s->DownClick(s);
  } else if (auto* k = dynamic_cast<TGridCombo*>(c)) {
    const WPARAM wheel = static_cast<WPARAM>(static_cast<uint16_t>((a & 1) ? 120 : -120)) << 16;
    if (a & 2) {
      k->SetDroppedDown(!k->DroppedDown());  // a wheel over the grid, with the list open or closed
      g.Perform(WM_MOUSEWHEEL, wheel, 0);
    } else {
      k->Perform(WM_MOUSEWHEEL, wheel, 0);
    }
  } else if (auto* u = dynamic_cast<TGridUnitEditBtn*>(c)) {
    if (u->Units()->Count() == 0) {
      u->Units()->Add("mV");
      u->Units()->Add("V");
    }
    u->UnitCommand(b % 5 - 1);
  } else if (auto* e = dynamic_cast<TGridEditBtn*>(c)) {
    e->ClickButton(e);
  } else if (auto* d = dynamic_cast<TGridDatePicker*>(c)) {
    if (!d->HasCalendar()) {
      TEsgSpinButton* arrows = d->UpDownButton();
      ((a & 1) ? arrows->UpButton() : arrows->DownButton())->Click();
    } else if (!d->DroppedDown()) {
      d->Perform(WM_KEYDOWN, VK_F4, 0);
      d->Perform(WM_KEYUP, VK_F4, 0);
    } else if (a & 1) {
      d->Calendar()->Pick(std::floor(d->DateTime()) + (b % 61) - 30);
    } else {
      d->CloseUp();
    }
  } else if (link && link->PopupForm() && c == link->GetEditControl()) {
    gForm->BringToFront();  // a click elsewhere
  }
}

}  // namespace

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  gTrace = getenv("FUZZ_TRACE") != nullptr;
  Application->Initialize();
  gForm = new TForm(Application);
  gForm->SetClientSize(400, 300);
  gForm->Show();
  Application->ProcessMessages();
  // The application lives to the end here, so the cursors the grid registers with the screen are
  // given back before the leak check, as the application's end would (the table exists first).
  (void)Screen->Cursors(crDefault);
  std::atexit([] {
    for (int n = 8000; n <= 8014; ++n)
      if (Screen && Screen->Cursors(n)) Screen->SetCursors(n, nullptr);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto* g = new TExtStringGrid(gForm);
  g->SetParent(gForm);
  g->SetBounds(0, 0, 380, 260);
  g->SetColCount(6);
  g->SetRowCount(14);
  g->SetOptions(g->Options() | goEditing | goTabs | goRangeSelect | goColSizing);
  for (int r = 0; r < g->RowCount(); ++r)
    for (int c = 0; c < g->ColCount(); ++c) g->SetCells(c, r, std::to_string(c * 100 + r));
  g->MergeCells(2, 3, 2, 2);
  g->SetFixedFooters(1);
  g->HideRows(6, 7);
  g->OnCanEditCell = [](TObject*, int r, int c, bool& can) { can = (r + c) % 5 != 0; };
  // In-cell controls on some cells: every editor kind that opens a control.
  static const TEditorType kKinds[] = {edComboList,    edComboEdit,      edDateEdit,     edTimeEdit,    edSpinEdit,
                                       edFloatSpinEdit, edTimeSpinEdit,  edDateSpinEdit, edCheckBox,    edDataCheckBox,
                                       edEditBtn,      edNumericEditBtn, edFloatEditBtn, edUnitEditBtn, edButton,
                                       edUniEdit,      edUniMemo,        edUniEditBtn,   edUniComboEdit, edUniComboList,
                                       edDateEditUpDown, edCustom};
  const size_t kindShift = size > 1 ? data[1] : 0;
  g->OnGetEditorType = [kindShift](TObject*, int c, int r, TEditorType& e) {
    if (c == 4 || c == 5) e = kKinds[(kindShift + static_cast<size_t>(r * 2 + c)) % std::size(kKinds)];
  };
  // A markup cell with controls that edit in place (their values are not validated).
  g->SetCells(1, 4,
              "<CONTROL TYPE=\"EDIT\" ID=\"e\" VALUE=\"ab\" WIDTH=\"30\"><CONTROL TYPE=\"COMBO\" ID=\"c\" "
              "VALUE=\"x\" WIDTH=\"30\"><CONTROL TYPE=\"PASSWORD\" ID=\"p\" VALUE=\"\" WIDTH=\"20\">");
  g->OnControlComboList = [](TObject*, int, int, const std::string&, const std::string&, const std::string&,
                             TStringList* v, bool& edit, int& drop) {
    v->Add("x");
    v->Add("y");
    edit = drop % 2 == 0;
  };
  if (size > 0 && (data[0] & 1)) {
    g->ComboBox()->Items()->Add("AA");
    g->ComboBox()->Items()->Add("5");
  }
  g->OnCellValidate = [](TObject*, int, int, std::string& v, bool& valid) {
    valid = v.find_first_of("zZ") == std::string::npos;
  };
  // Header clicks sort (Shift adds keys with IndexShow); column 0 holds node signs once nodes come.
  g->SortSettings()->SetShow(size > 0 && (data[0] & 2));
  g->SortSettings()->IndexShow = size > 0 && (data[0] & 4);
  g->SortSettings()->UndoSort = size > 0 && (data[0] & 8);
  g->MouseActions()->NodeAllExpandContract = size > 0 && (data[0] & 16);
  g->Navigation()->AppendOnArrowDown = true;
  g->Navigation()->AllowInsertRow = true;
  g->Navigation()->AllowDeleteRow = true;
  TTextEditLink<TEdit>* link = nullptr;
  if (size > 0 && (data[0] & 128)) {
    link = new TTextEditLink<TEdit>(nullptr);
    link->EditStyle = esPopup;
    link->PopupWidth = 90;
    link->PopupHeight = 40;
    g->EditLink = link;
  }
  g->Loaded();
  g->SetFocus();
  TReader in{data, size};
  static const WORD kKeys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_TAB, VK_RETURN, VK_ESCAPE, VK_F2,
                               VK_HOME, VK_END, VK_NEXT, VK_PRIOR, VK_INSERT, VK_DELETE, VK_SPACE, 'A'};
  static const char kChars[] = {'A', '5', 'f', 8, 13, 27, ' ', 'z'};
  for (int step = 0; step < 200 && in.n > 0; ++step) {
    // Op bytes 240..251 drive the open control (no kept seed holds them, so the seeds keep their steps).
    const uint8_t raw = in.Byte();
    uint8_t op = raw >= 240 && raw < 252 ? 11 : raw % 11;
    uint8_t a = in.Byte(), b = in.Byte();
    Trace(step, op, a, b, *g);
    std::vector<std::string> before = Texts(*g);
    TPoint cur(g->Col(), g->Row()), edit = g->EditCell();
    int rows = g->RowCount(), cols = g->ColCount();
    bool structural = false;
    try {
      switch (op) {
        case 0:
        case 1: {
          WORD k = kKeys[a & 15];
          structural = k == VK_INSERT || k == VK_DELETE || k == VK_DOWN;
          TWinControl* t = KeyTarget(*g);
          t->Perform(WM_KEYDOWN, k, 0);
          if (k == VK_RETURN || k == VK_ESCAPE || k == VK_TAB) KeyTarget(*g)->Perform(WM_CHAR, k == VK_TAB ? 9 : k, 0);
          KeyTarget(*g)->Perform(WM_KEYUP, k, 0);
          break;
        }
        case 2:
        case 3:
          KeyTarget(*g)->Perform(WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(kChars[a & 7])), 0);
          break;
        case 4: {
          int x = a * 380 / 255, y = b * 260 / 255;
          structural = (g->Options() & (goColMoving | goRowMoving)) != 0;  // a header drag moves lines
          structural = structural || g->PressMode() == TExtStringGrid::pmResize;  // the resizer fills cells
          structural = structural || (g->SortSettings()->Show() && y < g->RowHeights(0));  // a header click sorts
          // A press on the top-left cell folds or unfolds every node: hidden rows come back, others go.
          structural = structural || (g->MouseActions()->NodeAllExpandContract && y < g->RowHeights(0) && x < g->ColWidths(0));
          g->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(x, y));
          if (in.Byte() & 1) g->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(x + (a & 31) - 15, y + (b & 31) - 15));
          g->Perform(WM_LBUTTONUP, 0, MakeLParam(x, y));
          break;
        }
        case 5: {
          int x = a * 380 / 255, y = b * 260 / 255;
          // The release after a double click on a header is a header click too: it sorts.
          structural = g->SortSettings()->Show() && y < g->RowHeights(0);
          g->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(x, y));
          g->Perform(WM_LBUTTONUP, 0, MakeLParam(x, y));
          break;
        }
        case 6: {
          int delta = (a & 1) ? 120 : -120;
          WPARAM keys = (a & 2) ? MK_CONTROL : 0;
          g->Perform(WM_MOUSEWHEEL, (static_cast<WPARAM>(static_cast<uint16_t>(delta)) << 16) | keys, MakeLParam(50, 50));
          break;
        }
        case 7: {
          int x = a * 380 / 255, y = b * 260 / 255;
          g->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(x, y));
          g->Perform(WM_RBUTTONUP, 0, MakeLParam(x, y));
          break;
        }
        case 8:
          switch (a % 16) {
            case 0: g->SetOptions(g->Options() ^ goEditing); break;
            case 1: g->SetOptions(g->Options() ^ goRowSelect); break;
            case 2: g->Navigation()->AdvanceOnEnter = !g->Navigation()->AdvanceOnEnter; break;
            case 3: g->MouseActions()->WheelAction = g->MouseActions()->WheelAction == waScroll ? waMoveSelection : waScroll; break;
            case 4: g->MouseActions()->FixedRowsEdit = static_cast<TGridFixedCellEdit>(b % 4); break;
            case 5: g->Navigation()->AdvanceDirection = (b & 1) ? adTopBottom : adLeftRight; break;
            case 6: g->Navigation()->TabToNextAtEnd = b & 1; break;
            case 7: g->SetOptions(g->Options() ^ (goColMoving | goRowMoving)); break;
            case 8:
              g->DragDropSettings()->OleDropSource = b & 1;
              g->EnhRowColMove = !(b & 2);
              break;
            case 9: g->Navigation()->HomeEndKey = (b & 1) ? heFirstLastRow : heFirstLastColumn; break;
            case 10:
              g->Hovering = b & 1;
              g->EnableBlink = b & 2;
              g->Perform(WM_TIMER, 111, 0);
              break;
            case 11:
              g->MouseActions()->SizeFixedCol = b & 1;
              g->MouseActions()->SizeFixedRow = b & 2;
              g->SetLook((b & 4) ? glListView : glXP);
              g->SetScrollBarAlways(static_cast<TScrollBarAlways>((b >> 3) % 4));
              break;
            case 12: g->Perform(WM_MOUSEMOVE, 0, MakeLParam(b * 380 / 255, (b * 7) % 260)); break;
            case 13: g->Perform(CM_MOUSELEAVE, 0, 0); break;
            case 14:
              g->MouseActions()->RowSelect = b & 1;
              g->MouseActions()->ColSelect = b & 2;
              g->MouseActions()->AllSelect = b & 4;
              g->SetSelectionRectangle(b & 8);
              g->SetSelectionResizer(b & 8);
              g->Navigation()->AllowSmartClipboard = b & 16;
              g->MouseActions()->SetDisjunctCellSelect(b & 32);
              g->MouseActions()->SetDisjunctColSelect(b & 64);
              break;
            default:
              g->MouseActions()->SetDisjunctRowSelect(b & 1);
              g->MouseActions()->SetHotmailRowSelect(b & 2);
              g->ControlLook()->SetControlStyle(static_cast<TGridControlStyle>((b >> 3) % 7));
              g->ControlLook()->RadioAlwaysActive = b & 0x40;
              // Middle-button panning: a press starts (or ends) it, a tick moves by the last mouse move.
              g->IntelliPan = static_cast<TIntelliPan>(in.Byte() % 4);
              g->Perform(WM_MBUTTONDOWN, MK_MBUTTON, MakeLParam(b * 380 / 255, (b * 5) % 260));
              g->Perform(WM_MBUTTONUP, 0, MakeLParam(b * 380 / 255, (b * 5) % 260));
              g->Perform(WM_TIMER, 999, 0);
              break;
          }
          break;
        case 10:
          structural = ViewStep(*g, in, a, b);
          break;
        case 11:
          ControlStep(*g, link, a, b);
          break;
        default:
          structural = true;
          switch (a % 10) {
            case 0: g->SetFixedFooters(b % 3); break;
            case 1: if (g->NumHiddenRows() > 0) g->UnHideRowsAll(); else g->HideRows(2 + b % 5, 3 + b % 5); break;
            case 2: g->SetFixedRightCols(b % 2); break;
            case 3: g->MergeCells(1 + b % 4, 1 + (b >> 4) % 8, 2, 2); break;
            // Cell graphics that presses and Space act on.
            case 4: g->AddRadio(b % 6, (b >> 3) % 14, b & 0x80, (b & 0x40) ? -1 : 0, {"a", "", "ccc"}); break;
            case 5: g->AddCheckBox(b % 6, (b >> 3) % 14, b & 0x40, b & 0x80); break;
            // Sorting keeps every row once.
            case 7: {
              std::vector<std::string> rowsBefore = RowTexts(*g), rowsAfter;
              const bool editing = g->EditorMode();
              g->SortSettings()->Column = b % 6;
              g->SortSettings()->Direction = (b & 8) ? sdDescending : sdAscending;
              g->SortSettings()->IgnoreBlanks = b & 16;
              g->SortSettings()->SingleColumn = (b & 0xE0) == 0xE0;
              g->Navigation()->MoveRowOnSort = b & 32;
              if (b & 64) g->SortIndexes()->AddIndex(b % 6, b & 128);
              if ((b & 3) == 0) g->SortByColumn();
              else if ((b & 3) == 1) g->RestoreUnsortedOrder();
              else if ((b & 3) == 2) g->SortByIndexes();
              else g->SortGroups();
              rowsAfter = RowTexts(*g);
              std::sort(rowsBefore.begin(), rowsBefore.end());
              std::sort(rowsAfter.begin(), rowsAfter.end());
              if (!editing && !g->SortSettings()->SingleColumn) Check(rowsBefore == rowsAfter, "a sort keeps every row once");
              Check(g->UpdateCount() == 0, "a sort closes its update");
              break;
            }
            // Nodes, folded and unfolded by code (presses on their signs come from the mouse steps).
            case 8:
              switch (b % 6) {
                case 0: g->AddNode(1 + (b >> 3) % 12, (b >> 5) % 6); break;
                case 1: g->ContractNode(1 + (b >> 3) % 12); break;
                case 2: g->ExpandNode(1 + (b >> 3) % 12); break;
                case 3: g->ContractAll(); break;
                case 4: g->ExpandAll(); break;
                default: g->InsertChildRow(1 + (b >> 3) % 12, 1); break;
              }
              break;
            // Grouping: Group then UnGroup gives the table back.
            case 9: {
              if (b & 1) {
                g->UnGroup();
                g->ExpandAll();
                const bool editing = g->EditorMode();
                const std::vector<std::string> table = Texts(*g);
                const int tr = g->RowCount(), tc = g->ColCount();
                // Grouping may sort the rows first: the round trip is asked of the rows as they stand.
                const bool sortFirst = g->SortSettings()->AutoSortForGrouping;
                g->SortSettings()->AutoSortForGrouping = false;
                g->Group(1 + b % 5);
                g->UnGroup();
                g->SortSettings()->AutoSortForGrouping = sortFirst;
                if (!editing) Check(g->RowCount() == tr && g->ColCount() == tc && Texts(*g) == table, "group and ungroup give the table back");
              } else if (b & 2) {
                g->Group(1 + (b >> 2) % 5);
              } else {
                g->UnGroup();
              }
              break;
            }
            default:
              if (b & 1)
                g->AddButton(b % 6, (b >> 3) % 14, 8 + b % 40, 6 + b % 20, "b", static_cast<TCellHAlign>(b % 6),
                             static_cast<TCellVAlign>((b >> 2) % 6));
              else
                g->RemoveCellGraphic(b % 6, (b >> 3) % 14);
              break;
          }
          break;
      }
    } catch (const Exception&) {
    }
    TraceState(*g);
    Check(g->Col() >= 0 && g->Col() < g->ColCount() && g->Row() >= 0 && g->Row() < g->RowCount(), "the current cell is a real cell");
    TPoint current = g->BaseCell(g->Col(), g->Row());
    for (int r = 0; r < g->RowCount(); ++r)
      for (int c = 0; c < g->ColCount(); ++c) {
        const std::string t = g->GridCells(c, r);
        if (t.find_first_of("zZ") == std::string::npos || g->BaseCell(c, r) == current) continue;
        if (t.find("<CONTROL") != std::string::npos) continue;  // markup control values are not validated
        fprintf(stderr, "op %d key %d: cell %d,%d '%s' left unvalidated (now %d,%d)\n", op, a, c, r,
                g->GridCells(c, r).c_str(), g->Col(), g->Row());
        Check(false, "an edited cell is validated on every way out");
      }
    if (structural || g->RowCount() != rows || g->ColCount() != cols) continue;
    // Texts change only where an edit was going on (its base cell) or in the cell under the editor.
    std::vector<std::string> after = Texts(*g);
    TPoint now = g->EditCell();
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        size_t i = static_cast<size_t>(r * cols + c);
        if (after[i] == before[i]) continue;
        TPoint base = g->BaseCell(c, r);
        bool edited = after[i].find("<CONTROL") != std::string::npos ||  // a markup control's editor
                      (base.X == edit.X && base.Y == edit.Y) || (base.X == now.X && base.Y == now.Y) ||
                      (base == g->BaseCell(cur.X, cur.Y)) || (base == g->BaseCell(g->Col(), g->Row()));
        if (!edited)
          fprintf(stderr, "op %d key %d: cell %d,%d '%s' -> '%s' (cur %d,%d edit %d,%d now %d,%d)\n", op, a, c, r,
                  before[i].c_str(), after[i].c_str(), cur.X, cur.Y, edit.X, edit.Y, g->Col(), g->Row());
        Check(edited, "a text changed without an edit");
      }
  }
  // The link goes while its grid is there (it leaves the grid's EditLink), then the grid; the
  // pop-up forms released meanwhile go with the posted messages.
  delete link;
  delete g;
  if (link) Application->ProcessMessages();
  return 0;
}
