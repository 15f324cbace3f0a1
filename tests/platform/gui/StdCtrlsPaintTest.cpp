// Sizes and drawing of the standard controls: label, panel, bevel, image,
// splitter, and a picture of a form holding every control.
#include <QColor>
#include <QFile>
#include <QImage>

#include "platform/gui/Buttons.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Mask.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"

namespace {

class StdPaint : public TGuiTest {};

// A control whose canvas records with fixed metrics: characters 5 wide, lines 13 high.
template <class T>
class TRecorded : public T {
 public:
  explicit TRecorded(TComponent* owner) : T(owner) { this->Canvas()->SetBackend(&Rec, TSize{1000, 1000}); }
  ~TRecorded() override { this->Canvas()->SetBackend(nullptr); }
  using T::Paint;
  std::vector<TCanvasOp> Texts() const {
    std::vector<TCanvasOp> r;
    for (const TCanvasOp& op : Rec.Ops)
      if (op.Kind == okText) r.push_back(op);
    return r;
  }
  TRecordingCanvasBackend Rec;
};

TEST_F(StdPaint, LabelAutoSizeFollowsCaptionFontAndWrapping) {
  TForm* f = StdForm();
  auto* l = new TRecorded<TLabel>(f);
  l->SetParent(f);
  l->SetBounds(10, 10, 200, 50);
  l->SetCaption("Hello");
  EXPECT_EQ(l->Width(), 25);
  EXPECT_EQ(l->Height(), 13);
  l->SetCaption("");
  EXPECT_EQ(l->Height(), 13) << "an empty caption keeps one line";

  l->SetAlignment(taRightJustify);
  l->SetCaption("abc");
  int right = l->Left() + l->Width();
  l->SetCaption("abcdefgh");
  EXPECT_EQ(l->Left() + l->Width(), right) << "a right-aligned label grows to the left";
  EXPECT_EQ(l->Width(), 40);

  l->SetAlignment(taLeftJustify);
  l->SetWordWrap(true);
  l->SetWidth(40);
  l->SetCaption("aaa bbb ccc");
  EXPECT_LE(l->Width(), 40) << "wrapping keeps the width";
  EXPECT_EQ(l->Height(), 26) << "and grows in height";

  l->SetAutoSize(false);
  l->SetCaption("a much longer caption than before");
  EXPECT_EQ(l->Height(), 26);
}

TEST_F(StdPaint, LabelLayoutAlignmentAndTransparency) {
  TForm* f = StdForm();
  auto* l = new TRecorded<TLabel>(f);
  l->SetParent(f);
  l->SetAutoSize(false);
  l->SetBounds(0, 0, 100, 40);
  l->SetCaption("Tx");
  l->SetLayout(tlBottom);
  l->SetAlignment(taCenter);
  l->Rec.Ops.clear();
  l->Paint();
  ASSERT_EQ(l->Texts().size(), 1u);
  EXPECT_EQ(l->Texts()[0].R.Top, 40 - 13);
  EXPECT_EQ(l->Texts()[0].R.Left, (100 - 10) / 2);
  EXPECT_EQ(l->Rec.Ops.front().Kind, okFillRect) << "an opaque label fills its background";

  l->SetTransparent(true);
  l->SetLayout(tlCenter);
  l->Rec.Ops.clear();
  l->Paint();
  for (const TCanvasOp& op : l->Rec.Ops) EXPECT_NE(op.Kind, okFillRect);
  EXPECT_EQ(l->Texts()[0].R.Top, (40 - 13) / 2);

  l->SetEnabled(false);
  l->Rec.Ops.clear();
  l->Paint();
  ASSERT_EQ(l->Texts().size(), 2u) << "disabled text is drawn embossed";
  EXPECT_EQ(l->Texts()[0].R.Left, l->Texts()[1].R.Left + 1);
}

TEST_F(StdPaint, LabelAcceleratorFocusesItsControl) {
  TForm* f = StdForm();
  auto* e = new TEdit(f);
  e->SetParent(f);
  auto* l = new TLabel(f);
  l->SetParent(f);
  l->SetCaption("&Name");
  l->SetFocusControl(e);
  f->Show();
  EXPECT_EQ(f->Perform(CM_DIALOGCHAR, 'n', KF_ALTDOWN_LPARAM), 1);
  EXPECT_EQ(f->ActiveControl(), e);
  delete e;
  EXPECT_EQ(l->FocusControl(), nullptr) << "a freed focus control is forgotten";
  EXPECT_EQ(f->Perform(CM_DIALOGCHAR, 'n', KF_ALTDOWN_LPARAM), 0);
}

TEST_F(StdPaint, PanelBordersShrinkTheClientAreaForAlignedChildren) {
  TForm* f = StdForm(300, 200);
  auto* p = new TPanel(f);
  p->SetParent(f);
  p->SetBounds(0, 0, 200, 100);
  p->SetBevelOuter(bvRaised);
  p->SetBevelInner(bvLowered);
  p->SetBevelWidth(2);
  p->SetBorderWidth(3);
  auto* child = new TPanel(f);
  child->SetParent(p);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), TRect(7, 7, 193, 93));
  p->SetBevelInner(bvNone);
  EXPECT_EQ(child->BoundsRect(), TRect(5, 5, 195, 95)) << "a bevel change realigns";
  p->SetBorderStyle(bsSingle);
  EXPECT_EQ(child->Left(), 7);
}

TEST_F(StdPaint, PanelCaptionFollowsAlignmentInsideTheBevels) {
  TForm* f = StdForm(300, 200);
  auto* p = new TRecorded<TPanel>(f);
  p->SetParent(f);
  p->SetBounds(0, 0, 200, 41);
  p->SetCaption("Panel");
  auto textLeft = [&] {
    p->Rec.Ops.clear();
    p->Paint();
    return p->Texts().at(0).R.Left;
  };
  EXPECT_EQ(textLeft(), (200 - 25) / 2);
  p->SetAlignment(taLeftJustify);
  EXPECT_EQ(textLeft(), 1) << "inside the one-pixel bevel";
  p->SetAlignment(taRightJustify);
  p->SetBevelWidth(3);
  EXPECT_EQ(textLeft(), 200 - 3 - 25);
  EXPECT_EQ(p->Texts().at(0).R.Top, (41 - 13) / 2);
  // The raised outer bevel: light top-left, dark bottom-right.
  std::vector<TCanvasOp> lines;
  for (const TCanvasOp& op : p->Rec.Ops)
    if (op.Kind == okPolyline) lines.push_back(op);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].Pen.Color, clBtnHighlight);
  EXPECT_EQ(lines[1].Pen.Color, clBtnShadow);
}

TEST_F(StdPaint, BevelLinesUseTheStyleColours) {
  TForm* f = StdForm();
  auto* b = new TRecorded<TBevel>(f);
  b->SetParent(f);
  b->SetBounds(0, 0, 80, 10);
  b->SetShape(bsTopLine);
  b->Paint();
  std::vector<TCanvasOp> lines;
  for (const TCanvasOp& op : b->Rec.Ops)
    if (op.Kind == okLine) lines.push_back(op);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Pen.Color, clBtnShadow);
  EXPECT_EQ(lines[0].R, TRect(0, 0, 80, 0));
  EXPECT_EQ(lines[1].Pen.Color, clBtnHighlight);
  EXPECT_EQ(lines[1].R, TRect(0, 1, 80, 1));
  b->SetStyle(bsRaised);
  b->Rec.Ops.clear();
  b->Paint();
  for (const TCanvasOp& op : b->Rec.Ops)
    if (op.Kind == okLine) {
      EXPECT_EQ(op.Pen.Color, clBtnHighlight);
      break;
    }
}

TEST_F(StdPaint, ImagePlacesItsPicture) {
  TImage img(nullptr);
  img.SetBounds(0, 0, 200, 200);
  TBitmap pic(100, 50);
  img.Picture()->SetGraphic(&pic);
  EXPECT_EQ(img.DestRect(), TRect(0, 0, 100, 50));
  img.SetCenter(true);
  EXPECT_EQ(img.DestRect(), TRect(50, 75, 150, 125));
  img.SetStretch(true);
  EXPECT_EQ(img.DestRect(), TRect(0, 0, 200, 200));
  img.SetProportional(true);
  EXPECT_EQ(img.DestRect(), TRect(0, 50, 200, 150));
  img.SetStretch(false);
  EXPECT_EQ(img.DestRect(), TRect(50, 75, 150, 125)) << "proportional only shrinks what does not fit";
  img.SetAutoSize(true);
  EXPECT_EQ(img.Width(), 100);
  EXPECT_EQ(img.Height(), 50);
  TPngImage png;
  img.Picture()->SetGraphic(&png);
  EXPECT_THROW(img.Canvas(), EInvalidOperation);
}

TEST_F(StdPaint, SplitterResizesTheControlBeforeIt) {
  TForm* f = StdForm(400, 200);
  auto* left = new TPanel(f);
  left->SetParent(f);
  left->SetAlign(alLeft);
  left->SetWidth(100);
  auto* s = new TSplitter(f);
  s->SetParent(f);
  s->SetLeft(100);
  s->SetAlign(alLeft);
  auto* rest = new TPanel(f);
  rest->SetParent(f);
  rest->SetAlign(alClient);
  ASSERT_EQ(s->Left(), 100);
  s->SetResizeStyle(rsUpdate);
  s->SetAutoSnap(false);
  int moved = 0;
  s->OnMoved = [&](TObject*) { ++moved; };
  s->MouseDown(mbLeft, ssLeft, 1, 5);
  s->MouseMove(ssLeft, 51, 5);
  EXPECT_EQ(left->Width(), 150);
  EXPECT_EQ(s->Left(), 150) << "the splitter follows its control";
  s->MouseMove(ssLeft, -500, 5);
  EXPECT_EQ(left->Width(), 30) << "MinSize holds";
  s->MouseMove(ssLeft, 1000, 5);
  EXPECT_EQ(left->Width(), 400 - 30 - 3) << "the rest keeps MinSize";
  s->MouseUp(mbLeft, 0, 1000, 5);
  EXPECT_EQ(moved, 3);

  s->SetResizeStyle(rsPattern);
  s->SetAutoSnap(true);
  s->OnCanResize = [](TObject*, int& size, bool& accept) { accept = size != 200; };
  s->MouseDown(mbLeft, ssLeft, 1, 5);
  s->MouseMove(ssLeft, 1 - 167, 5);
  EXPECT_EQ(left->Width(), 367) << "a pattern drag resizes on release only";
  s->MouseMove(ssLeft, 1 - 367 + 10, 5);
  s->MouseUp(mbLeft, 0, 1 - 367 + 10, 5);
  EXPECT_EQ(left->Width(), 0) << "dragged below MinSize with AutoSnap: closed";
}

QColor Pixel(const QImage& img, TControl* c, int dx, int dy) {
  TPoint p = c->ClientOrigin();
  TPoint f = c->ParentForm()->ClientOrigin();
  return img.pixelColor(p.X - f.X + dx, p.Y - f.Y + dy);
}

TEST_F(StdPaint, FormWithEveryControlRendersOffscreen) {
  TForm* f = StdForm(520, 360);
  f->SetCaption("Standard controls");
  auto place = [&](TControl* c, int x, int y, int w, int h) {
    c->SetParent(f);
    c->SetBounds(x, y, w, h);
  };
  auto* lbl = new TLabel(f);
  place(lbl, 10, 10, 100, 13);
  lbl->SetCaption("&Label");
  auto* edit = new TEdit(f);
  place(edit, 10, 30, 120, 21);
  edit->SetText("Edit text");
  auto* mask = new TMaskEdit(f);
  place(mask, 10, 60, 120, 21);
  mask->SetEditMask(">CC;1;_");
  mask->SetText("a");
  auto* memo = new TMemo(f);
  place(memo, 10, 90, 120, 60);
  memo->Lines()->Add("Memo line 1");
  memo->Lines()->Add("Memo line 2");
  auto* btn = new TButton(f);
  place(btn, 140, 10, 75, 25);
  btn->SetCaption("Button");
  auto* bit = new TBitBtn(f);
  place(bit, 140, 40, 75, 25);
  bit->SetKind(bkOK);
  auto* speed = new TSpeedButton(f);
  place(speed, 140, 70, 23, 22);
  speed->SetCaption("S");
  speed->SetGroupIndex(1);
  speed->SetDown(true);
  auto* check = new TCheckBox(f);
  place(check, 140, 100, 100, 17);
  check->SetCaption("Check box");
  check->SetChecked(true);
  auto* radio = new TRadioButton(f);
  place(radio, 140, 120, 100, 17);
  radio->SetCaption("Radio");
  radio->SetChecked(true);
  auto* combo = new TComboBox(f);
  place(combo, 250, 10, 120, 21);
  combo->SetStyle(csDropDownList);
  combo->Items()->Add("Combo item");
  combo->SetItemIndex(0);
  auto* list = new TListBox(f);
  place(list, 250, 40, 120, 60);
  list->Items()->Add("List 1");
  list->Items()->Add("List 2");
  list->SetItemIndex(1);
  auto* spin = new TSpinEdit(f);
  place(spin, 250, 110, 80, 21);
  spin->SetValue(42);
  auto* ud = new TUpDown(f);
  ud->SetParent(f);
  auto* udEdit = new TEdit(f);
  place(udEdit, 250, 140, 60, 21);
  ud->SetAssociate(udEdit);
  ud->SetPosition(7);
  auto* sb = new TScrollBar(f);
  place(sb, 250, 170, 120, 17);
  sb->SetPosition(40);
  auto* track = new TTrackBar(f);
  place(track, 250, 195, 150, 30);
  track->SetPosition(3);
  auto* prog = new TProgressBar(f);
  place(prog, 10, 160, 200, 16);
  prog->SetSmooth(true);
  prog->SetPosition(50);
  auto* gauge = new TGauge(f);
  place(gauge, 10, 185, 200, 20);
  gauge->SetForeColor(clBlue);
  gauge->SetShowText(false);
  gauge->SetProgress(50);
  auto* panel = new TPanel(f);
  place(panel, 10, 215, 200, 41);
  panel->SetCaption("Panel");
  panel->SetColor(clYellow);
  auto* bevel = new TBevel(f);
  place(bevel, 10, 265, 200, 2);
  bevel->SetShape(bsTopLine);
  auto* group = new TGroupBox(f);
  place(group, 380, 10, 130, 80);
  group->SetCaption("Group");
  auto* inner = new TRadioButton(f);
  inner->SetParent(group);
  inner->SetBounds(10, 25, 100, 17);
  inner->SetCaption("Inside");
  auto* back = new TPanel(f);
  place(back, 380, 100, 64, 64);
  back->SetBevelOuter(bvNone);
  back->SetColor(clYellow);
  auto* image = new TImage(f);
  image->SetParent(back);
  image->SetBounds(0, 0, 64, 64);
  image->Canvas()->Brush()->SetColor(clFuchsia);
  image->Canvas()->FillRect(TRect(0, 0, 64, 64));
  image->Canvas()->Brush()->SetColor(clRed);
  image->Canvas()->FillRect(TRect(16, 16, 48, 48));
  image->SetTransparent(true);
  auto* box = new TScrollBox(f);
  place(box, 380, 180, 130, 80);
  auto* far = new TLabel(f);
  far->SetParent(box);
  far->SetBounds(10, 150, 60, 13);
  far->SetCaption("Far away");
  auto* split = new TSplitter(f);
  split->SetParent(f);
  split->SetAlign(alBottom);
  split->SetHeight(4);
  split->SetBeveled(true);
  f->Show();
  Application->ProcessMessages();
  EXPECT_EQ(box->VertScrollBar()->Range(), 163) << "the scroll box reaches its farthest child";

  std::string file = TestImagePath("stdctrls-form.png");
  QFile::remove(QString::fromStdString(file));
  ASSERT_TRUE(SaveControlImage(f, file));
  QImage img(QString::fromStdString(file));
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(Pixel(img, panel, 20, 30), ToQColor(clYellow)) << "panel face";
  EXPECT_EQ(Pixel(img, prog, 50, 8), ToQColor(clHighlight)) << "progress bar up to half";
  EXPECT_NE(Pixel(img, prog, 150, 8), ToQColor(clHighlight));
  EXPECT_EQ(Pixel(img, gauge, 50, 10), ToQColor(clBlue)) << "gauge up to half";
  EXPECT_EQ(Pixel(img, gauge, 150, 10), ToQColor(clWhite));
  EXPECT_EQ(Pixel(img, image, 30, 30), ToQColor(clRed)) << "image drawn from its bitmap";
  EXPECT_EQ(Pixel(img, image, 4, 60), ToQColor(clYellow)) << "a transparent image leaves its ground colour out";
  EXPECT_EQ(split->Cursor(), crVSplit);
}

}  // namespace

namespace {

TEST_F(StdPaint, ButtonStatesRenderOffscreen) {
  TForm* f = StdForm(360, 120);
  TBitmap glyph(32, 16);
  glyph.Canvas()->Brush()->SetColor(clOlive);
  glyph.Canvas()->FillRect(TRect(0, 0, 32, 16));
  glyph.Canvas()->Brush()->SetColor(clNavy);
  glyph.Canvas()->FillRect(TRect(3, 3, 13, 13));
  glyph.Canvas()->Brush()->SetColor(clMaroon);
  glyph.Canvas()->FillRect(TRect(19, 3, 29, 13));
  const TButtonLayout layouts[] = {blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom};
  TSpeedButton* sb[4];
  for (int i = 0; i < 4; ++i) {
    sb[i] = new TSpeedButton(f);
    sb[i]->SetParent(f);
    sb[i]->SetBounds(10 + 60 * i, 10, 55, 45);
    sb[i]->SetCaption("Go");
    sb[i]->SetGlyph(&glyph);
    sb[i]->SetLayout(layouts[i]);
  }
  sb[3]->SetFlat(true);
  sb[2]->SetEnabled(false);
  auto* disabled = new TBitBtn(f);
  disabled->SetParent(f);
  disabled->SetBounds(10, 70, 90, 27);
  disabled->SetKind(bkCancel);
  disabled->SetEnabled(false);
  auto* right = new TBitBtn(f);
  right->SetParent(f);
  right->SetBounds(110, 70, 90, 27);
  right->SetKind(bkYes);
  right->SetLayout(blGlyphRight);
  f->Show();
  Application->ProcessMessages();
  std::string file = TestImagePath("stdctrls-buttons.png");
  ASSERT_TRUE(SaveControlImage(f, file));
  QImage img(QString::fromStdString(file));
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(sb[0]->NumGlyphs(), 2);
  // The up picture (navy) is shown, not the second one, and the olive ground is left out.
  auto count = [&](TControl* c, TColor col) {
    int n = 0;
    TPoint o = c->ClientOrigin(), fo = f->ClientOrigin();
    for (int y = 0; y < c->Height(); ++y)
      for (int x = 0; x < c->Width(); ++x)
        if (img.pixelColor(o.X - fo.X + x, o.Y - fo.Y + y) == ToQColor(col)) ++n;
    return n;
  };
  EXPECT_EQ(count(sb[0], clNavy), 100);
  EXPECT_EQ(count(sb[0], clMaroon), 0);
  EXPECT_EQ(count(sb[0], clOlive), 0);
  EXPECT_EQ(count(sb[2], clNavy), 0) << "a disabled button shows its second picture";
  EXPECT_GT(count(sb[2], clMaroon), 90);
}

}  // namespace
