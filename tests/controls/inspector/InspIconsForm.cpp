// The inspector's icon styles side by side, for driving by hand under a display server: a
// large-icon, a small-icon and a button bar with the hover frame, gradients, pictures and
// captions. Clicks and drops are printed.
#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"

namespace {

void Say(const std::string& s) {
  std::printf("%s\n", s.c_str());
  std::fflush(stdout);
}

TBitmap* Square(int side, TColor face, TColor edge) {
  auto* b = new TBitmap(side, side);
  b->Canvas()->Brush()->SetColor(edge);
  b->Canvas()->FillRect(TRect(0, 0, side, side));
  b->Canvas()->Brush()->SetColor(face);
  b->Canvas()->FillRect(TRect(3, 3, side - 3, side - 3));
  return b;
}

TInspectorBar* Bar(TForm* form, int left, TPanelStyle style, const std::string& caption, TInspectorBarStyle look) {
  auto* bar = new TInspectorBar(form);
  bar->SetParent(form);
  bar->SetBounds(left, 10, 220, 440);
  bar->HelpPanel()->SetVisible(false);
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetCaption(caption);
  p->SetStyle(style);
  bar->SetStyle(look);
  p->SetHoverIconBorderColor(p->HoverIconBorderColor() == clNone ? clNavy : p->HoverIconBorderColor());
  bar->OnItemClick = [caption](TObject*, TInspectorPanel*, TInspectorItem* it) {
    Say(caption + ": click " + it->Caption() + (it->ButtonDown() ? " (down)" : ""));
  };
  return bar;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Application->Initialize();
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption("Inspector icon styles");
  form->SetBounds(20, 20, 700, 470);

  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "velmaron-icons-form";
  fs::create_directories(dir);
  std::ofstream(dir / "notes.txt") << "notes";
  std::ofstream(dir / "table.csv") << "a,b";

  auto* images = new TImageList(form);
  images->SetWidth(16);
  images->SetHeight(16);
  for (TColor c : {clRed, clGreen, clBlue, clOlive}) {
    TBitmap* b = Square(16, c, clBlack);
    images->Add(b, nullptr);
    delete b;
  }

  // Large icons: own bitmaps, an own icon, desktop icons of files and a link; hover gradients.
  TInspectorBar* large = Bar(form, 10, psLargeIcon, "Large icons", esOffice2003Blue);
  TInspectorPanel* lp = large->Panels()->Items(0);
  lp->SetItemHeight(64);
  lp->SetHoverCaption(true);
  {
    TInspectorItem* it = lp->Items()->Add();
    it->SetCaption("Own bitmap");
    TBitmap* b = Square(32, clTeal, clWhite);
    it->SetBitmap(b);
    delete b;
    it = lp->Items()->Add();
    it->SetCaption("Own icon");
    TBitmap* ib = Square(32, clMaroon, clYellow);
    TIcon icon;
    icon.Assign(ib);
    delete ib;
    it->SetIcon(&icon);
    it = lp->Items()->Add();
    it->SetCaption("notes.txt");
    it->SetURL((dir / "notes.txt").string());
    it->SetAutoIcon(true);
    it = lp->Items()->Add();
    it->SetCaption("<b>Web</b> page</b>");
    it->SetURL("https://example.org/");
    it->SetAutoIcon(true);
    it = lp->Items()->Add();
    it->SetCaption("Folder");
    it->SetURL(dir.string());
    it->SetAutoIcon(true);
  }

  // Small icons, indented, the picture at the right of the caption for the last rows.
  TInspectorBar* small = Bar(form, 240, psSmallIcon, "Small icons", esOffice2003Olive);
  TInspectorPanel* sp = small->Panels()->Items(0);
  sp->SetItemHeight(22);
  sp->SetIndent(8);
  sp->SetAlignment(taLeftJustify);
  sp->SetHoverCaption(true);
  small->SetImages(images);
  const char* names[] = {"Red image", "Green image", "Blue image", "Olive image"};
  for (int i = 0; i < 4; ++i) {
    TInspectorItem* it = sp->Items()->Add();
    it->SetCaption(names[i]);
    it->SetImageIndex(i);
  }
  for (const char* f : {"notes.txt", "table.csv"}) {
    TInspectorItem* it = sp->Items()->Add();
    it->SetCaption(f);
    it->SetURL((dir / f).string());
    it->SetAutoIcon(true);
  }
  TInspectorItem* down = sp->Items()->Add();
  down->SetCaption("Held down");
  down->SetImageIndex(3);
  down->SetButtonDown(true);

  // Buttons with gradient faces; a click toggles ButtonDown.
  TInspectorBar* buttons = Bar(form, 470, psButtons, "Buttons", esOffice2003Blue);
  TInspectorPanel* bp = buttons->Panels()->Items(0);
  bp->SetItemHeight(32);
  bp->SetAlignment(taLeftJustify);
  buttons->SetImages(images);
  for (int i = 0; i < 12; ++i) {
    TInspectorItem* it = bp->Items()->Add();
    it->SetCaption("Button " + std::to_string(i + 1));
    it->SetImageIndex(i % 4);
  }
  bp->SetItemIndex(11);  // scrolled into view

  form->Show();
  Application->Run();
  return 0;
}
