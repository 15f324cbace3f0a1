#include "platform/gui/StdCtrls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QWheelEvent>
#include <algorithm>

#include "platform/gui/Clipbrd.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/QtPeer.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {

// A peer's control, or nullptr once the control has let its window go.
TWinControl* LiveControl(QWidget* w) {
  TPeerBase* p = PeerOf(w);
  return p ? p->Control : nullptr;
}

// Qt string index of a byte position of s, and back.
int ToQPos(const std::string& s, int pos) {
  pos = std::clamp(pos, 0, static_cast<int>(s.size()));
  return static_cast<int>(ToQString(s.substr(0, static_cast<size_t>(pos))).size());
}
bool HasMultiByteChar(const std::string& s) {
  bool high = std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return high && IsValidUtf8(s);
}

// Bytes of the character starting at i: a whole UTF-8 sequence in UTF-8 text, else one byte.
size_t CharLength(const std::string& s, size_t i) {
  if (i >= s.size()) return 0;
  auto b = static_cast<unsigned char>(s[i]);
  size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  if (n == 1 || i + n > s.size() || !IsValidUtf8(std::string_view(s).substr(i, n))) return 1;
  return n;
}

// The largest character boundary not after `limit`.
size_t CharBoundary(const std::string& s, size_t limit) {
  size_t i = 0;
  while (i < s.size()) {
    size_t n = CharLength(s, i);
    if (i + n > limit) break;
    i += n;
  }
  return i;
}

int NextChar(const std::string& s, int pos) {
  return std::min(static_cast<int>(s.size()), pos + static_cast<int>(std::max<size_t>(1, CharLength(s, static_cast<size_t>(pos)))));
}

int PrevChar(const std::string& s, int pos) {
  if (pos <= 0) return 0;
  int p = pos - 1;
  // Step back over continuation bytes to the lead byte of a whole sequence ending at pos.
  for (int k = 1; k <= 3 && p - k + 1 > 0; ++k) {
    auto b = static_cast<unsigned char>(s[static_cast<size_t>(p - k + 1)]);
    if ((b & 0xC0) != 0x80) break;
    int lead = p - k;
    if (lead >= 0 && lead + static_cast<int>(CharLength(s, static_cast<size_t>(lead))) == pos) return lead;
  }
  return p;
}

std::string Utf8Char(char32_t c) { return Utf16ToUtf8(QString::fromUcs4(&c, 1).toStdU16String()); }

int FromQPos(const QString& q, int qpos) {
  qpos = std::clamp(qpos, 0, static_cast<int>(q.size()));
  return static_cast<int>(FromQString(q.left(qpos)).size());
}

// Text boxes and lists fill their text area with the control's colour.
void SetPeerBase(QWidget* w, TColor c) {
  if (!w) return;
  QPalette pal = w->palette();
  pal.setColor(QPalette::Base, ToQColor(c));
  w->setPalette(pal);
}

std::string FirstLine(const std::string& s) {
  size_t n = s.find_first_of("\r\n");
  return n == std::string::npos ? s : s.substr(0, n);
}

// Text of lines kept with CR LF (or a lone CR or LF) breaks; the widget shows LF.
QString MemoToQt(const std::string& s) {
  std::string t;
  t.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    t += s[i] == '\r' ? '\n' : s[i];
  }
  return ToQString(t);
}
// Widget position of a byte position of such a text, and back (a CR LF pair is one position).
int LinesQtPos(const std::string& s, int pos) {
  auto p = static_cast<size_t>(std::clamp(pos, 0, static_cast<int>(s.size())));
  // Inside a CR LF pair is before it.
  if (p > 0 && p < s.size() && s[p - 1] == '\r' && s[p] == '\n') --p;
  return static_cast<int>(MemoToQt(s.substr(0, p)).size());
}
// Shows the text's lines in a multi-line widget, selected from anchor to caret; true when the
// widget's text changed.
bool PushLines(QPlainTextEdit* m, const std::string& s, int anchor, int caret) {
  const QString q = MemoToQt(s);
  const bool changed = m->toPlainText() != q;
  if (changed) m->setPlainText(q);
  const int a = LinesQtPos(s, anchor), p = LinesQtPos(s, caret);
  QTextCursor c = m->textCursor();
  if (c.anchor() != a || c.position() != p) {
    c.setPosition(a);
    c.setPosition(p, QTextCursor::KeepAnchor);
    m->setTextCursor(c);
  }
  return changed;
}
int LinesBytePos(const std::string& s, int qpos) {
  size_t i = 0;
  for (int q = 0; i < s.size() && q < qpos; ++q) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
      i += 2;
      continue;
    }
    size_t n = CharLength(s, i);
    if (n == 4) ++q;  // two UTF-16 units
    i += n;
  }
  return static_cast<int>(i);
}

}  // namespace

// ================================================================ TCustomLabel
TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ |= csOpaque | csReplicatable;
  width_ = 65;
  height_ = 17;
  autoSize_ = true;
  color_ = clBtnFace;
  parentColor_ = true;
}

void TCustomLabel::SetAlignment(TAlignment v) {
  if (v == alignment_) return;
  alignment_ = v;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v) {
  if (v == layout_) return;
  layout_ = v;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  if (v)
    controlStyle_ &= ~csOpaque;
  else
    controlStyle_ |= csOpaque;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
  if (v == showAccelChar_) return;
  showAccelChar_ = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* v) {
  if (v == focusControl_) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = v;
  if (v) v->FreeNotification(this);
}

void TCustomLabel::SetAutoSize(bool v) {
  TGraphicControl::SetAutoSize(v);
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::WndProc(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR && focusControl_ && enabled_ && showAccelChar_ &&
      IsAccel(static_cast<WORD>(Message.WParam), text_) && focusControl_->CanFocus()) {
    focusControl_->SetFocus();
    Message.Result = 1;
    return;
  }
  TGraphicControl::WndProc(Message);
}

unsigned TCustomLabel::TextFlags() const {
  static const unsigned aligns[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  return DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | aligns[alignment_];
}

void TCustomLabel::DoDrawText(TRect& Rect, unsigned Flags) {
  std::string text = text_;
  // An empty caption still measures one line high.
  if ((Flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
  if (!showAccelChar_) Flags |= DT_NOPREFIX;
  TCanvas* c = Canvas();
  c->SetFont(font_.get());
  if (!enabled_ && !(Flags & DT_CALCRECT)) {
    TRect r = Rect;
    r.Left += 1, r.Top += 1, r.Right += 1, r.Bottom += 1;
    c->Font()->SetColor(clBtnHighlight);
    c->DrawText(text, r, Flags);
    c->Font()->SetColor(clBtnShadow);
  }
  c->DrawText(text, Rect, Flags);
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!transparent_) {
    c->Brush()->SetColor(color_);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  unsigned flags = TextFlags();
  if (layout_ != tlTop) {
    TRect calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    int dy = layout_ == tlBottom ? height_ - calc.Bottom : (height_ - calc.Bottom) / 2;
    r.Top += dy;
    r.Bottom += dy;
  }
  DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
  if (!autoSize_ || (ComponentState() & csLoading)) return;
  TRect r = ClientRect();
  DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0));
  int x = left_;
  if (alignment_ == taRightJustify) x += width_ - r.Right;
  SetBounds(x, top_, r.Right, r.Bottom);
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::CMTextChanged(TMessage& Message) {
  Invalidate();
  AdjustBounds();
  TGraphicControl::CMTextChanged(Message);
}

void TCustomLabel::CMFontChanged(TMessage& Message) {
  TGraphicControl::CMFontChanged(Message);
  AdjustBounds();
}

// ================================================================ TCustomGroupBox
TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csReplicatable;
  clickFocus_ = false;  // containers never take the focus on a click
  width_ = 185;
  height_ = 105;
  color_ = clBtnFace;
  parentColor_ = true;
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Canvas()->SetFont(font_.get());
  Rect.Top += Canvas()->TextHeight("0");
  Rect.Left += 2, Rect.Top += 2, Rect.Right -= 2, Rect.Bottom -= 2;
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->SetFont(font_.get());
  int h = c->TextHeight("0");
  c->Brush()->SetColor(color_);
  c->FillRect(ClientRect());
  TRect r(1, h / 2, width_, height_);
  c->Brush()->SetColor(clBtnHighlight);
  c->FrameRect(r);
  r = TRect(0, h / 2 - 1, width_ - 1, height_ - 1);
  c->Brush()->SetColor(clBtnShadow);
  c->FrameRect(r);
  if (!text_.empty()) {
    TRect t(8, 0, 0, h);
    c->DrawText(text_, t, DT_SINGLELINE | DT_CALCRECT);
    c->Brush()->SetColor(color_);
    c->Brush()->SetStyle(bsSolid);
    c->DrawText(text_, t, DT_SINGLELINE);
  }
}

void TCustomGroupBox::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Invalidate();
  Realign();
}

void TCustomGroupBox::CMFontChanged(TMessage& Message) {
  TCustomControl::CMFontChanged(Message);
  Realign();
}

void TCustomGroupBox::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<WORD>(Message.WParam), text_) && CanFocus()) {
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
    Message.Result = 1;
    return;
  }
  TCustomControl::CMDialogChar(Message);
}

// ================================================================ TButtonControl
TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = csSetCaption | csDoubleClicks;
  tabStop_ = true;
  color_ = clBtnFace;
  parentColor_ = false;
}

void TButtonControl::CMTextChanged(TMessage& Message) {
  TWinControl::CMTextChanged(Message);
  UpdatePeerCaption();
}

void TButtonControl::UpdatePeerCaption() {
  if (auto* b = dynamic_cast<QAbstractButton*>(peer_)) b->setText(ToQString(text_));
}

void TButtonControl::PeerClicked(const std::function<void()>& Body) { GuiRun(this, Body); }

// ================================================================ TButton
TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  width_ = 75;
  height_ = 25;
}

void TButton::SetDefault(bool v) {
  if (v == default_) return;
  default_ = v;
  if (auto* b = dynamic_cast<QPushButton*>(peer_)) b->setDefault(v);
}

bool TButton::Active() const {
  TCustomForm* f = GetParentForm(this);
  TWinControl* focused = f ? f->ActiveControl() : nullptr;
  if (focused == this) return true;
  if (dynamic_cast<TButton*>(focused)) return false;
  return default_;
}

void TButton::Click() {
  if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(modalResult_);
  TButtonControl::Click();
}

QWidget* TButton::CreatePeer(QWidget* ParentWidget) {
  auto* b = new TPeer<QPushButton>(this, ParentWidget);
  b->setAutoDefault(false);
  QObject::connect(b, &QPushButton::clicked, b, [b] {
    if (auto* c = dynamic_cast<TButton*>(LiveControl(b))) c->PeerClicked([c] { c->Click(); });
  });
  return b;
}

void TButton::CreateWnd() {
  TButtonControl::CreateWnd();
  UpdatePeerCaption();
  static_cast<QPushButton*>(peer_)->setDefault(default_);
}

void TButton::CMDialogKey(TMessage& Message) {
  WORD key = static_cast<WORD>(Message.WParam);
  TShiftState shift = static_cast<TShiftState>(Message.LParam) & (ssShift | ssAlt | ssCtrl);
  if (((key == VK_RETURN && Active()) || (key == VK_ESCAPE && cancel_)) && shift == 0 && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  TButtonControl::CMDialogKey(Message);
}

void TButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<WORD>(Message.WParam), text_) && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  TButtonControl::CMDialogChar(Message);
}

// ================================================================ TCustomCheckBox
TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  width_ = 97;
  height_ = 17;
  parentColor_ = true;
}

void TCustomCheckBox::SetState(TCheckBoxState v) {
  if (v == state_) return;
  state_ = v;
  UpdatePeerState();
  Click();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::SetAlignment(TAlignment v) {
  if (v == alignment_) return;
  alignment_ = v;
  if (peer_) peer_->setLayoutDirection(v == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCustomCheckBox::UpdatePeerState() {
  auto* b = dynamic_cast<QCheckBox*>(peer_);
  if (!b) return;
  static const Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
  b->setTristate(allowGrayed_ || state_ == cbGrayed);
  b->setCheckState(states[state_]);
}

namespace {
// Check boxes and radio buttons take a click anywhere in their window, as the
// platform's button controls do (Qt's take it on the box and text only).
template <class W>
class TWholeButtonPeer : public TPeer<W> {
 public:
  using TPeer<W>::TPeer;

 protected:
  bool hitButton(const QPoint& Pos) const override { return this->rect().contains(Pos); }
};
}  // namespace

QWidget* TCustomCheckBox::CreatePeer(QWidget* ParentWidget) {
  auto* b = new TWholeButtonPeer<QCheckBox>(this, ParentWidget);
  QObject::connect(b, &QCheckBox::clicked, b, [b] {
    auto* c = dynamic_cast<TCustomCheckBox*>(LiveControl(b));
    if (!c) return;
    // The widget turned its own box; the state kept here decides.
    c->PeerClicked([c] {
      c->Toggle();
      c->UpdatePeerState();
    });
  });
  return b;
}

void TCustomCheckBox::CreateWnd() {
  TButtonControl::CreateWnd();
  UpdatePeerCaption();
  UpdatePeerState();
  peer_->setLayoutDirection(alignment_ == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCustomCheckBox::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<WORD>(Message.WParam), text_) && CanFocus()) {
    SetFocus();
    Toggle();
    Message.Result = 1;
    return;
  }
  TButtonControl::CMDialogChar(Message);
}

// ================================================================ TRadioButton
TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  width_ = 113;
  height_ = 17;
  tabStop_ = false;
  parentColor_ = true;
}

void TRadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  SetTabStop(v);
  UpdatePeerState();
  if (!v) return;
  if (parent_) {
    for (int i = 0; i < parent_->ControlCount(); ++i)
      if (auto* r = dynamic_cast<TRadioButton*>(parent_->Controls(i)); r && r != this) r->SetChecked(false);
  }
  Click();
}

void TRadioButton::SetAlignment(TAlignment v) {
  if (v == alignment_) return;
  alignment_ = v;
  if (peer_) peer_->setLayoutDirection(v == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TRadioButton::UpdatePeerState() {
  if (auto* b = dynamic_cast<QRadioButton*>(peer_)) b->setChecked(checked_);
}

QWidget* TRadioButton::CreatePeer(QWidget* ParentWidget) {
  auto* b = new TWholeButtonPeer<QRadioButton>(this, ParentWidget);
  // Exclusion among siblings is kept here, not by Qt's button groups.
  b->setAutoExclusive(false);
  QObject::connect(b, &QRadioButton::clicked, b, [b] {
    auto* c = dynamic_cast<TRadioButton*>(LiveControl(b));
    if (!c) return;
    c->PeerClicked([c] {
      c->SetChecked(true);
      c->UpdatePeerState();
    });
  });
  return b;
}

void TRadioButton::CreateWnd() {
  TButtonControl::CreateWnd();
  UpdatePeerCaption();
  UpdatePeerState();
  peer_->setLayoutDirection(alignment_ == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TRadioButton::WMSetFocus(TMessage& Message) {
  mouseEntry_ = Message.Event && Message.Event->type() == QEvent::FocusIn &&
                static_cast<QFocusEvent*>(Message.Event)->reason() == Qt::MouseFocusReason;
  TButtonControl::WMSetFocus(Message);
  mouseEntry_ = false;
}

void TRadioButton::DoEnter() {
  TButtonControl::DoEnter();
  if (!mouseEntry_ && !checked_) SetChecked(true);
}

void TRadioButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<WORD>(Message.WParam), text_) && CanFocus()) {
    SetFocus();
    SetChecked(true);
    Message.Result = 1;
    return;
  }
  TButtonControl::CMDialogChar(Message);
}

// ================================================================ TCustomEdit
// A peer that only shows: keys, input methods, its menu and the selection buffer's paste are the
// control's business (the editing itself happens in TCustomEdit).
template <class W>
class TShowingPeer : public TPeer<W> {
 public:
  TShowingPeer(TCustomEdit* c, QWidget* parent) : TPeer<W>(c, parent) {}

 protected:
  void keyPressEvent(QKeyEvent* e) override { e->accept(); }
  void inputMethodEvent(QInputMethodEvent* e) override {
    e->accept();
    // Composed text arrives here once committed: it is typed, character by character, through
    // the control's key-press handling; the composition shown meanwhile is the input method's.
    auto* c = dynamic_cast<TCustomEdit*>(LiveControl(this));
    if (!c || c->ImeMode() == imDisable || e->commitString().isEmpty()) return;
    const QList<uint> chars = e->commitString().toUcs4();
    ++GuiKeySerial();  // a new input: no key's suppressed character applies to it
    GuiRunDeferred(this, c, [&] {
      std::shared_ptr<bool> alive = c->AliveFlag();
      for (uint ch : chars) {
        if (!*alive) return;
        c->Perform(WM_CHAR, ch, 0);
      }
    });
  }
  void contextMenuEvent(QContextMenuEvent* e) override { e->accept(); }
  void mouseReleaseEvent(QMouseEvent* e) override {
    // No pasting of the selection buffer behind the control's back.
    if (e->button() == Qt::MiddleButton) return e->accept();
    W::mouseReleaseEvent(e);
  }
  void focusInEvent(QFocusEvent* e) override { Focus(true, e); }
  void focusOutEvent(QFocusEvent* e) override { Focus(false, e); }

 private:
  void Focus(bool In, QFocusEvent* e) {
    auto base = [&] { In ? W::focusInEvent(e) : W::focusOutEvent(e); };
    if (auto* c = dynamic_cast<TCustomEdit*>(LiveControl(this)))
      c->PeerFocusChanged(In, base);
    else
      base();
  }
};

// The line-edit peer shows the text.
class TEditPeer : public TShowingPeer<QLineEdit> {
 public:
  TEditPeer(TCustomEdit* c, QWidget* parent) : TShowingPeer<QLineEdit>(c, parent) {}
  QRect CaretRect() const { return cursorRect(); }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QLineEdit::paintEvent(e);
    if (auto* c = dynamic_cast<TCustomEdit*>(LiveControl(this))) c->PaintOverPeer(this);
  }
};

// The multi-line peer shows the lines one under the other.
class TEditLinesPeer : public TShowingPeer<QPlainTextEdit> {
 public:
  TEditLinesPeer(TCustomEdit* c, QWidget* parent) : TShowingPeer<QPlainTextEdit>(c, parent) {
    document()->setDocumentMargin(0);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptDrops(false);
    setUndoRedoEnabled(false);
  }
  void SetMargins(const TRect& m) { setViewportMargins(m.Left, m.Top, m.Right, m.Bottom); }
  // In the peer's coordinates.
  QRect CaretRect(int QPos) const {
    QTextCursor c(document());
    c.setPosition(std::clamp(QPos, 0, static_cast<int>(document()->characterCount()) - 1));
    return cursorRect(c).translated(viewport()->pos());
  }
  int PositionAt(QPoint P) const { return cursorForPosition(P - viewport()->pos()).position(); }

 protected:
  bool canInsertFromMimeData(const QMimeData*) const override { return false; }
  void insertFromMimeData(const QMimeData*) override {}
};

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight;
  width_ = 121;
  height_ = 21;
  autoSize_ = true;
  tabStop_ = true;
  color_ = clWindow;
  parentColor_ = false;
}

TCustomEdit::~TCustomEdit() = default;

std::string TCustomEdit::ApplyCase(const std::string& s) const {
  if (charCase_ == ecNormal) return s;
  // UTF-8 text changes case by character; byte-wise it would turn into other bytes.
  if (HasMultiByteChar(s)) {
    QString q = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    QByteArray b = (charCase_ == ecUpperCase ? q.toUpper() : q.toLower()).toUtf8();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
  }
  return charCase_ == ecUpperCase ? AnsiUpperCase(s) : AnsiLowerCase(s);
}

void TCustomEdit::SetText(const std::string& v) {
  std::string t = ApplyCase(v);
  if (t == text_) return;
  // Text set by the program puts the caret at the start and is not a user change.
  anchor_ = caret_ = 0;
  modified_ = false;
  TWinControl::SetText(t);
}

void TCustomEdit::SetMaxLength(int v) {
  maxLength_ = std::max(0, v);
  if (auto* e = dynamic_cast<QLineEdit*>(peer_)) e->setMaxLength(32767);
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
  if (v == charCase_) return;
  charCase_ = v;
  std::string t = ApplyCase(text_);
  if (t != text_) {
    int a = anchor_, c = caret_;
    text_ = t;
    SetSel(a, c);
    Perform(CM_TEXTCHANGED);
  }
}

void TCustomEdit::SetReadOnly(bool v) {
  if (v == readOnly_) return;
  readOnly_ = v;
  if (auto* e = dynamic_cast<QLineEdit*>(peer_)) e->setReadOnly(v);
  if (auto* m = dynamic_cast<QPlainTextEdit*>(peer_)) m->setReadOnly(v);
  PushImeMode();  // the widget switches input methods with its read-only state
}

void TCustomEdit::SetPasswordChar(char v) {
  if (v == passwordChar_) return;
  passwordChar_ = v;
  PushToPeer();
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  PushFrame();
  if (auto* m = dynamic_cast<QPlainTextEdit*>(peer_)) m->setFrameShape(v == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
}

void TCustomEdit::SetOwnFrameWidth(int Width) {
  Width = std::max(Width, 0);
  if (Width == ownFrame_) return;
  ownFrame_ = Width;
  PushFrame();
  Invalidate();
}

void TCustomEdit::PushFrame() {
  auto* e = dynamic_cast<QLineEdit*>(peer_);
  if (!e) return;
  const int own = borderStyle_ != bsNone ? ownFrame_ : 0;
  e->setFrame(borderStyle_ != bsNone && own == 0);
  e->setTextMargins(margins_.Left + own, margins_.Top + own, margins_.Right + own, margins_.Bottom + own);
}

int TCustomEdit::SelStart() const { return std::min(anchor_, caret_); }
int TCustomEdit::SelLength() const { return std::abs(caret_ - anchor_); }
std::string TCustomEdit::SelText() const {
  return text_.substr(static_cast<size_t>(SelStart()), static_cast<size_t>(SelLength()));
}

void TCustomEdit::SetSel(int Anchor, int Caret) {
  int n = static_cast<int>(text_.size());
  anchor_ = std::clamp(Anchor, 0, n);
  caret_ = std::clamp(Caret, 0, n);
}

void TCustomEdit::SetSelStart(int v) {
  SetSel(v, v);
  PushToPeer();
}

void TCustomEdit::SetSelLength(int v) {
  int s = SelStart();
  SetSel(s, s + std::max(0, v));
  PushToPeer();
}

void TCustomEdit::SelectAll() {
  SetSel(0, static_cast<int>(text_.size()));
  PushToPeer();
}

namespace {
// Shown lines of the blocks before Block, and of the block itself up to QPos inside the text.
int ShownLine(QPlainTextEdit* m, int QPos) {
  QTextDocument* d = m->document();
  QTextBlock at = d->findBlock(std::clamp(QPos, 0, std::max(0, d->characterCount() - 1)));
  int line = 0;
  for (QTextBlock b = d->begin(); b.isValid() && b != at; b = b.next())
    line += std::max(1, b.layout() ? b.layout()->lineCount() : 1);
  if (QTextLayout* l = at.layout(); l && l->lineCount() > 0) {
    QTextLine tl = l->lineForTextPosition(QPos - at.position());
    if (tl.isValid()) line += tl.lineNumber();
  }
  return line;
}
}  // namespace

int TCustomEdit::PeerLineOf(int Pos) const {
  auto* m = dynamic_cast<TEditLinesPeer*>(peer_);
  return m ? ShownLine(m, LinesQtPos(text_, Pos)) : -1;
}

int TCustomEdit::PeerLineCount() const {
  auto* m = dynamic_cast<TEditLinesPeer*>(peer_);
  return m ? ShownLine(m, m->document()->characterCount() - 1) + 1 : -1;
}

int TCustomEdit::CharFromPos(TPoint P) const {
  if (auto* m = dynamic_cast<TEditLinesPeer*>(peer_)) return LinesBytePos(text_, m->PositionAt(QPoint(P.X, P.Y)));
  auto* e = dynamic_cast<QLineEdit*>(peer_);
  if (!e) return -1;
  int q = e->cursorPositionAt(QPoint(P.X, P.Y));
  return passwordChar_ ? q : FromQPos(e->text(), q);
}

TPoint TCustomEdit::PosFromChar(int Pos) {
  if (auto* m = dynamic_cast<TEditLinesPeer*>(peer_)) {
    QRect r = m->CaretRect(LinesQtPos(text_, Pos));
    return TPoint(r.left() + r.width() / 2, r.top());
  }
  auto* e = dynamic_cast<TEditPeer*>(peer_);
  if (!e) return TPoint(-1, -1);
  // The line edit tells only where its own caret is drawn: it goes there and back unnoticed.
  const QSignalBlocker block(e);
  std::string shown = DisplayText();
  Pos = std::clamp(Pos, 0, static_cast<int>(shown.size()));
  e->setCursorPosition(passwordChar_ ? Pos : ToQPos(shown, Pos));
  QRect r = e->CaretRect();
  PushToPeer();
  return TPoint(r.left() + r.width() / 2, r.top());
}

void TCustomEdit::SaveUndo() {
  undoText_ = text_;
  undoValid_ = true;
}

void TCustomEdit::ReplaceText(const std::string& s, int Caret) {
  text_ = s;
  SetSel(Caret, Caret);
  modified_ = true;
  Perform(CM_TEXTCHANGED);
}

void TCustomEdit::SetSelText(const std::string& v) {
  int s = SelStart();
  std::string t = ApplyCase(v);
  SaveUndo();
  ReplaceText(text_.substr(0, static_cast<size_t>(s)) + t + text_.substr(static_cast<size_t>(s + SelLength())),
              s + static_cast<int>(t.size()));
}

void TCustomEdit::ClearSelection() {
  if (SelLength() == 0 || readOnly_) return;
  SetSelText(std::string());
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_COPY: WMCopy(Message); break;
    case WM_CUT: WMCut(Message); break;
    case WM_PASTE: WMPaste(Message); break;
    case WM_CLEAR: WMClear(Message); break;
    case WM_UNDO: WMUndo(Message); break;
    default: TWinControl::Dispatch(Message);
  }
}

void TCustomEdit::WMCopy(TMessage&) {
  if (SelLength() == 0 || passwordChar_) return;
  Clipboard()->SetAsText(SelText());
}

void TCustomEdit::WMCut(TMessage& Message) {
  if (SelLength() == 0 || passwordChar_ || readOnly_) return;
  WMCopy(Message);
  ClearSelection();
}

void TCustomEdit::WMPaste(TMessage&) {
  std::string t = Clipboard()->AsText();
  // A single-line edit takes the first line of the clipboard.
  InsertText(OwnEditing() ? FirstLine(t) : t);
}

void TCustomEdit::WMClear(TMessage&) { ClearSelection(); }

void TCustomEdit::WMUndo(TMessage& Message) {
  if (!undoValid_ || readOnly_) return;
  std::string t = undoText_;
  undoText_ = text_;
  ReplaceText(t, static_cast<int>(t.size()));
  Message.Result = 1;
}

void TCustomEdit::SetAlignment(TAlignment v) {
  if (v == alignment_) return;
  alignment_ = v;
  PushAlignment();
}

void TCustomEdit::PushAlignment() {
  if (auto* m = dynamic_cast<TEditLinesPeer*>(peer_)) {
    QTextOption opt = m->document()->defaultTextOption();
    opt.setAlignment(alignment_ == taCenter ? Qt::AlignHCenter : alignment_ == taRightJustify ? Qt::AlignRight : Qt::AlignLeft);
    opt.setWrapMode(WrapLines() ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    m->document()->setDefaultTextOption(opt);
    m->setLineWrapMode(WrapLines() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  }
  if (auto* e = dynamic_cast<QLineEdit*>(peer_))
    e->setAlignment((alignment_ == taCenter ? Qt::AlignHCenter
                                            : alignment_ == taRightJustify ? Qt::AlignRight : Qt::AlignLeft) |
                    (textAtTop_ ? Qt::AlignTop : Qt::AlignVCenter));
}

void TCustomEdit::InsertText(const std::string& s) {
  if (readOnly_) return;
  std::string t = ApplyCase(s);
  if (maxLength_ > 0) {
    int room = maxLength_ - (static_cast<int>(text_.size()) - SelLength());
    if (room < static_cast<int>(t.size())) {
      if (room <= 0 || CharLength(t, 0) == t.size()) {
        MessageBeep(0);
        return;
      }
      t.resize(CharBoundary(t, static_cast<size_t>(room)));
      if (t.empty()) {
        MessageBeep(0);
        return;
      }
    }
  }
  SetSelText(t);
}

void TCustomEdit::DeleteBack() {
  if (readOnly_) return;
  if (SelLength() > 0) return ClearSelection();
  if (caret_ == 0) return;
  SetSel(PrevChar(text_, caret_), caret_);
  ClearSelection();
}

void TCustomEdit::DeleteForward() {
  if (readOnly_) return;
  if (SelLength() > 0) return ClearSelection();
  if (caret_ >= static_cast<int>(text_.size())) return;
  SetSel(caret_, NextChar(text_, caret_));
  ClearSelection();
}

void TCustomEdit::EditChar(char32_t Ch) {
  if (Ch == 8) return DeleteBack();
  if (Ch < 0x20 || Ch == 0x7F || (Ch >= 0x80 && Ch < 0xA0) || Ch > 0x10FFFF || (Ch >= 0xD800 && Ch < 0xE000))
    return;
  TShiftState s = KeyboardStateToShiftState();
  if ((s & ssCtrl) && !(s & ssAlt)) return;  // Ctrl+letter commands are keys, not text
  InsertText(Utf8Char(Ch));
}

bool TCustomEdit::EditKey(WORD Key, TShiftState Shift) {
  bool shift = Shift & ssShift, ctrl = (Shift & ssCtrl) && !(Shift & ssAlt);
  int n = static_cast<int>(text_.size());
  auto moveTo = [&](int pos) {
    SetSel(shift ? anchor_ : pos, pos);
    PushToPeer();
  };
  auto wordLeft = [&](int p) {
    while (p > 0 && text_[static_cast<size_t>(p - 1)] == ' ') --p;
    while (p > 0 && text_[static_cast<size_t>(p - 1)] != ' ') --p;
    return p;
  };
  auto wordRight = [&](int p) {
    while (p < n && text_[static_cast<size_t>(p)] != ' ') ++p;
    while (p < n && text_[static_cast<size_t>(p)] == ' ') ++p;
    return p;
  };
  switch (Key) {
    case VK_LEFT:
      if (!shift && !ctrl && SelLength() > 0) moveTo(SelStart());
      else moveTo(ctrl ? wordLeft(caret_) : PrevChar(text_, caret_));
      return true;
    case VK_RIGHT:
      if (!shift && !ctrl && SelLength() > 0) moveTo(SelStart() + SelLength());
      else moveTo(ctrl ? wordRight(caret_) : NextChar(text_, caret_));
      return true;
    case VK_HOME: moveTo(0); return true;
    case VK_END: moveTo(n); return true;
    case VK_UP:
    case VK_DOWN: {
      // The caret goes to the shown line above or below, near the same place across.
      auto* m = dynamic_cast<TEditLinesPeer*>(peer_);
      if (!m || ctrl) return false;
      QTextCursor c(m->document());
      c.setPosition(LinesQtPos(text_, caret_));
      if (c.movePosition(Key == VK_UP ? QTextCursor::Up : QTextCursor::Down)) moveTo(LinesBytePos(text_, c.position()));
      return true;
    }
    case VK_DELETE:
      if (shift) CutToClipboard();
      else DeleteForward();
      return true;
    case VK_INSERT:
      if (ctrl) CopyToClipboard();
      else if (shift) PasteFromClipboard();
      else return false;
      return true;
    default: break;
  }
  if (!ctrl) return false;
  switch (Key) {
    case 'A': SelectAll(); return true;
    case 'C': CopyToClipboard(); return true;
    case 'X': CutToClipboard(); return true;
    case 'V': PasteFromClipboard(); return true;
    case 'Z': Undo(); return true;
    default: return false;
  }
}

void TCustomEdit::WMKeyDown(TMessage& Message) {
  suppressChar_ = false;
  TWinControl::WMKeyDown(Message);
  if (Message.Result != 0 || Message.WParam == 0) return;
  if (EditKey(static_cast<WORD>(Message.WParam), KeyboardStateToShiftState())) {
    suppressChar_ = true;
    suppressKey_ = GuiKeySerial();
  }
}

bool TCustomEdit::CharSuppressed() const { return suppressChar_ && suppressKey_ == GuiKeySerial(); }

void TCustomEdit::WMChar(TMessage& Message) {
  // The character of a key the edit already acted on (Delete, Ctrl+V) is no typing.
  // A key without a character (an arrow) leaves the flag set: it holds for that key only.
  if (suppressChar_ && suppressKey_ == GuiKeySerial()) {
    suppressChar_ = false;
    Message.Result = 1;
    return;
  }
  suppressChar_ = false;
  TWinControl::WMChar(Message);
  if (Message.Result != 0 || Message.WParam == 0) return;
  EditChar(static_cast<char32_t>(Message.WParam));
}

void TCustomEdit::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
}

void TCustomEdit::WMSetFocus(TMessage& Message) {
  mouseEntry_ = Message.Event && Message.Event->type() == QEvent::FocusIn &&
                static_cast<QFocusEvent*>(Message.Event)->reason() == Qt::MouseFocusReason;
  TWinControl::WMSetFocus(Message);
}

void TCustomEdit::DoEnter() {
  // Entering by the keyboard selects all; a click places the caret instead.
  if (autoSelect_ && OwnEditing() && !mouseEntry_) SelectAll();
  mouseEntry_ = false;
  TWinControl::DoEnter();
}

void TCustomEdit::Change() {
  FireEvent(OnChange, this);
}

void TCustomEdit::CMTextChanged(TMessage& Message) {
  TWinControl::CMTextChanged(Message);
  SetSel(anchor_, caret_);
  PushToPeer();
  Change();
}

void TCustomEdit::CMFontChanged(TMessage& Message) {
  TWinControl::CMFontChanged(Message);
  if (autoSize_ && borderStyle_ != bsNone && (controlStyle_ & csFixedHeight) && !(ComponentState() & csLoading))
    SetHeight(QFontMetrics(TQtCanvasBackend::MakeFont(font_->Data())).height() + 8);
}

void TCustomEdit::CMColorChanged(TMessage& Message) {
  TWinControl::CMColorChanged(Message);
  SetPeerBase(peer_, color_);
  if (transparentBack_) SetTransparentBackground(true);
}

void TCustomEdit::SetTransparentBackground(bool v) {
  transparentBack_ = v;
  if (!peer_) return;
  QPalette pal = peer_->palette();
  pal.setColor(QPalette::Base, v ? QColor(Qt::transparent) : ToQColor(color_));
  peer_->setPalette(pal);
  peer_->setAutoFillBackground(!v);
  peer_->update();
}

std::string TCustomEdit::DisplayText() const {
  if (!passwordChar_) return text_;
  size_t chars = 0;
  for (unsigned char ch : text_)
    if (ch < 0x80 || ch >= 0xC0) ++chars;
  return std::string(chars, passwordChar_);
}

void TCustomEdit::PushToPeer() {
  if (auto* m = dynamic_cast<TEditLinesPeer*>(peer_)) {
    if (pushing_) return;
    pushing_ = true;
    if (PushLines(m, text_, SelectionHidden() ? caret_ : anchor_, caret_)) PushAlignment();
    pushing_ = false;
    return;
  }
  auto* e = dynamic_cast<QLineEdit*>(peer_);
  if (!e || pushing_) return;
  pushing_ = true;
  std::string shown = DisplayText();
  QString q = ToQString(shown);
  if (e->text() != q) e->setText(q);
  int a = passwordChar_ ? anchor_ : ToQPos(shown, anchor_);
  int c = passwordChar_ ? caret_ : ToQPos(shown, caret_);
  if (a == c || SelectionHidden())
    e->setCursorPosition(c);
  else
    e->setSelection(a, c - a);
  pushing_ = false;
}

bool TCustomEdit::SelectionHidden() const { return hideSelection_ && !(peer_ && peer_->hasFocus()); }

void TCustomEdit::SetHideSelection(bool v) {
  if (v == hideSelection_) return;
  hideSelection_ = v;
  PushToPeer();
}

void TCustomEdit::PeerFocusChanged(bool In, const std::function<void()>& Base) {
  if (In) {
    Base();
  } else {
    // The widget drops its selection when it loses the focus; the edit keeps its own.
    const bool was = pushing_;
    pushing_ = true;
    Base();
    pushing_ = was;
  }
  PushToPeer();
}

void TCustomEdit::PeerSelectionChanged() {
  if (auto* m = dynamic_cast<TEditLinesPeer*>(peer_)) {
    if (pushing_) return;
    QTextCursor c = m->textCursor();
    SetSel(LinesBytePos(text_, c.anchor()), LinesBytePos(text_, c.position()));
    return;
  }
  auto* e = dynamic_cast<QLineEdit*>(peer_);
  if (!e || pushing_) return;
  QString q = e->text();
  int cursor = e->cursorPosition();
  int anchor = cursor;
  if (e->hasSelectedText()) {
    int s = e->selectionStart(), l = static_cast<int>(e->selectedText().size());
    anchor = cursor == s ? s + l : s;
  }
  if (passwordChar_)
    SetSel(anchor, cursor);
  else
    SetSel(FromQPos(q, anchor), FromQPos(q, cursor));
}

QWidget* TCustomEdit::CreatePeer(QWidget* ParentWidget) {
  if (MultiLinePeer()) {
    auto* m = new TEditLinesPeer(this, ParentWidget);
    // Clicks reach the control as they do on the line peer (caret placing, double clicks).
    RouteEvents(this, m->viewport());
    auto sync = [m] {
      if (auto* c = dynamic_cast<TCustomEdit*>(LiveControl(m))) c->PeerSelectionChanged();
    };
    QObject::connect(m, &QPlainTextEdit::selectionChanged, m, sync);
    QObject::connect(m, &QPlainTextEdit::cursorPositionChanged, m, sync);
    return m;
  }
  auto* e = new TEditPeer(this, ParentWidget);
  e->setDragEnabled(false);
  e->setAcceptDrops(false);
  auto sync = [e] {
    if (auto* c = dynamic_cast<TCustomEdit*>(LiveControl(e))) c->PeerSelectionChanged();
  };
  QObject::connect(e, &QLineEdit::selectionChanged, e, sync);
  QObject::connect(e, &QLineEdit::cursorPositionChanged, e, sync);
  return e;
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  QPalette pal = peer_->palette();
  pal.setColor(QPalette::Base, ToQColor(color_));
  pal.setColor(QPalette::Text, ToQColor(font_->Color()));
  peer_->setPalette(pal);
  if (auto* m = dynamic_cast<TEditLinesPeer*>(peer_)) {
    m->setReadOnly(readOnly_);
    m->setFrameShape(borderStyle_ == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
    m->SetMargins(margins_);
  } else {
    auto* e = static_cast<QLineEdit*>(peer_);
    e->setReadOnly(readOnly_);
    PushFrame();
  }
  PushImeMode();
  if (transparentBack_) SetTransparentBackground(true);
  PushAlignment();
  PushToPeer();
}

void TCustomEdit::PaintOverPeer(QWidget* Widget) {
  if (!overCanvas_) overCanvas_ = std::make_unique<TControlCanvas>(this);
  QPainter p(Widget);
  overCanvas_->BeginPaint(&p, FromQRect(Widget->rect()));
  overCanvas_->SetFont(font_.get());
  try {
    PaintOver(overCanvas_.get());
  } catch (...) {
    overCanvas_->EndPaint();
    throw;
  }
  overCanvas_->EndPaint();
}

void TCustomEdit::SetTextMargins(int Left, int Top, int Right, int Bottom) {
  margins_ = TRect(Left, Top, Right, Bottom);
  PushFrame();
  if (auto* m = dynamic_cast<TEditLinesPeer*>(peer_)) m->SetMargins(margins_);
}

// ================================================================ TMemoStrings
std::vector<std::string> TMemoStrings::Split() const {
  std::vector<std::string> lines;
  const std::string& t = memo_->text_;
  size_t i = 0;
  while (i < t.size()) {
    size_t j = t.find_first_of("\r\n", i);
    if (j == std::string::npos) {
      lines.push_back(t.substr(i));
      break;
    }
    lines.push_back(t.substr(i, j - i));
    i = j + ((t[j] == '\r' && j + 1 < t.size() && t[j + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

void TMemoStrings::Join(const std::vector<std::string>& lines) {
  const std::string& old = memo_->text_;
  // A text that ended with a line break (or was empty) keeps ending with one.
  bool trailing = old.empty() || old.back() == '\n' || old.back() == '\r';
  std::string t;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) t += "\r\n";
    t += lines[i];
  }
  if (trailing && !lines.empty()) t += "\r\n";
  memo_->SetText(t);
}

std::vector<std::string> TMemoStrings::Shown() const {
  std::vector<std::string> lines = Split();
  // The text area: inside the border and a one-pixel margin on each side.
  int width = memo_->Width() - (memo_->BorderStyle() == bsNone ? 0 : 4) - 2;
  if (!memo_->WordWrap() || width <= 0) return lines;
  QFontMetrics fm(TQtCanvasBackend::MakeFont(memo_->Font()->Data()));
  auto w = [&](const std::string& s) { return fm.horizontalAdvance(ToQString(s)); };
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    std::string rest = line;
    while (w(rest) > width) {
      // The longest start that fits; broken after its last blank when it has one.
      size_t fit = 1;
      while (fit < rest.size() && w(rest.substr(0, fit + 1)) <= width) ++fit;
      size_t blank = rest.rfind(' ', fit);
      size_t cut = blank != std::string::npos && blank > 0 ? blank + 1 : fit;
      while (cut < rest.size() && rest[cut] == ' ') ++cut;  // trailing blanks stay on the line
      out.push_back(rest.substr(0, cut));
      rest = rest.substr(cut);
    }
    out.push_back(rest);
  }
  return out;
}

int TMemoStrings::Count() const { return static_cast<int>(Shown().size()); }

std::string TMemoStrings::Get(int index) const {
  auto l = Shown();
  if (index < 0 || index >= static_cast<int>(l.size())) Error("List index out of bounds (%d)", index);
  return l[static_cast<size_t>(index)];
}

void TMemoStrings::Put(int index, const std::string& s) {
  auto l = Split();
  if (index < 0 || index >= static_cast<int>(l.size())) Error("List index out of bounds (%d)", index);
  l[static_cast<size_t>(index)] = s;
  Join(l);
}

void TMemoStrings::Clear() { memo_->SetText(std::string()); }

void TMemoStrings::Delete(int index) {
  auto l = Split();
  if (index < 0 || index >= static_cast<int>(l.size())) Error("List index out of bounds (%d)", index);
  l.erase(l.begin() + index);
  Join(l);
}

void TMemoStrings::Insert(int index, const std::string& s) {
  auto l = Split();
  int n = static_cast<int>(l.size());
  // Adding at the end counts the shown (wrapped) lines; it appends to the text's lines.
  if (index > n && index <= Count()) index = n;
  if (index < 0 || index > n) Error("List index out of bounds (%d)", index);
  l.insert(l.begin() + index, s);
  Join(l);
}

void TMemoStrings::SetText(const std::string& text) { memo_->SetText(text); }

// ================================================================ TCustomMemo
class TMemoPeer : public TPeer<QPlainTextEdit> {
 public:
  TMemoPeer(TCustomMemo* c, QWidget* parent) : TPeer<QPlainTextEdit>(c, parent) {}

 protected:
  // The click comes through the viewport, past event(): it goes to the control
  // as WM_CONTEXTMENU here, so the memo's pop-up menu shows.
  void contextMenuEvent(QContextMenuEvent* e) override {
    GuiTranslate(this, e);
    e->accept();
  }
};

namespace {
std::string MemoFromQt(const QString& q) {
  std::string s = FromQString(q), t;
  t.reserve(s.size() + s.size() / 16);
  for (char c : s) {
    if (c == '\n') t += '\r';
    t += c;
  }
  return t;
}
}  // namespace

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), lines_(new TMemoStrings(this)) {
  width_ = 185;
  height_ = 89;
  controlStyle_ &= ~csFixedHeight;
  autoSelect_ = false;
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::SetScrollBars(TScrollStyle v) {
  if (v == scrollBars_) return;
  scrollBars_ = v;
  if (auto* m = dynamic_cast<QPlainTextEdit*>(peer_)) {
    m->setVerticalScrollBarPolicy(v == ssVertical || v == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m->setHorizontalScrollBarPolicy(v == ssHorizontal || v == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                       : Qt::ScrollBarAlwaysOff);
  }
}

void TCustomMemo::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  if (auto* m = dynamic_cast<QPlainTextEdit*>(peer_))
    m->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TCustomMemo::SetWantTabs(bool v) {
  wantTabs_ = v;
  if (auto* m = dynamic_cast<QPlainTextEdit*>(peer_)) m->setTabChangesFocus(!v);
}

void TCustomMemo::PushAlignment() {
  auto* m = dynamic_cast<QPlainTextEdit*>(peer_);
  if (!m) return;
  QTextOption opt = m->document()->defaultTextOption();
  opt.setAlignment(alignment_ == taCenter ? Qt::AlignHCenter
                                          : alignment_ == taRightJustify ? Qt::AlignRight : Qt::AlignLeft);
  m->document()->setDefaultTextOption(opt);
}

void TCustomMemo::SetMaxLength(int v) { maxLength_ = std::max(0, v); }

TPoint TCustomMemo::CaretPos() const {
  int line = 0, col = 0;
  for (int i = 0; i < caret_ && i < static_cast<int>(text_.size()); ++i) {
    if (text_[static_cast<size_t>(i)] == '\n') {
      ++line;
      col = 0;
    } else if (text_[static_cast<size_t>(i)] != '\r') {
      ++col;
    }
  }
  return TPoint(col, line);
}

void TCustomMemo::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
  if (wantTabs_) Message.Result |= DLGC_WANTTAB;
  if (wantReturns_) Message.Result |= DLGC_WANTALLKEYS;
}

void TCustomMemo::WMKeyDown(TMessage& Message) {
  TWinControl::WMKeyDown(Message);
  // Without WantReturns a Return is not the memo's (Ctrl+Return still breaks the line).
  if (Message.WParam == VK_RETURN && !wantReturns_ && !(KeyboardStateToShiftState() & ssCtrl)) {
    Message.WParam = 0;
    Message.Result = 1;
  }
}

void TCustomMemo::WMChar(TMessage& Message) {
  TWinControl::WMChar(Message);
  if (Message.WParam == '\r' && !wantReturns_ && !(KeyboardStateToShiftState() & ssCtrl)) {
    Message.WParam = 0;
    Message.Result = 1;
  }
}

QWidget* TCustomMemo::CreatePeer(QWidget* ParentWidget) {
  auto* m = new TMemoPeer(this, ParentWidget);
  QObject::connect(m, &QPlainTextEdit::textChanged, m, [m] {
    if (auto* c = dynamic_cast<TCustomMemo*>(LiveControl(m))) GuiRun(c, [c] { c->PeerTextChanged(); });
  });
  QObject::connect(m, &QPlainTextEdit::cursorPositionChanged, m, [m] {
    if (auto* c = dynamic_cast<TCustomMemo*>(LiveControl(m))) c->PeerSelectionChanged();
  });
  QObject::connect(m, &QPlainTextEdit::selectionChanged, m, [m] {
    if (auto* c = dynamic_cast<TCustomMemo*>(LiveControl(m))) c->PeerSelectionChanged();
  });
  return m;
}

void TCustomMemo::CreateWnd() {
  TWinControl::CreateWnd();
  auto* m = static_cast<QPlainTextEdit*>(peer_);
  m->setReadOnly(readOnly_);
  m->setFrameShape(borderStyle_ == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
  m->setLineWrapMode(wordWrap_ ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  m->setTabChangesFocus(!wantTabs_);
  m->setVerticalScrollBarPolicy(scrollBars_ == ssVertical || scrollBars_ == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                                   : Qt::ScrollBarAlwaysOff);
  m->setHorizontalScrollBarPolicy(scrollBars_ == ssHorizontal || scrollBars_ == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                                       : Qt::ScrollBarAlwaysOff);
  QPalette pal = m->palette();
  pal.setColor(QPalette::Base, ToQColor(color_));
  pal.setColor(QPalette::Text, ToQColor(font_->Color()));
  m->setPalette(pal);
  PushToPeer();
  PushAlignment();
}

void TCustomMemo::PushToPeer() {
  auto* m = dynamic_cast<QPlainTextEdit*>(peer_);
  if (!m || pushing_) return;
  pushing_ = true;
  if (PushLines(m, text_, anchor_, caret_)) PushAlignment();
  pushing_ = false;
}

void TCustomMemo::PeerTextChanged() {
  auto* m = dynamic_cast<QPlainTextEdit*>(peer_);
  if (!m || pushing_) return;
  std::string t = MemoFromQt(m->toPlainText());
  if (t == text_) return;
  if ((maxLength_ > 0 && static_cast<int>(t.size()) > maxLength_ && t.size() > text_.size()) || readOnly_) {
    MessageBeep(0);
    pushing_ = false;
    QString back = MemoToQt(text_);
    pushing_ = true;
    m->setPlainText(back);
    pushing_ = false;
    return;
  }
  text_ = ApplyCase(t);
  modified_ = true;
  PeerSelectionChanged();
  Perform(CM_TEXTCHANGED);
}

void TCustomMemo::PeerSelectionChanged() {
  auto* m = dynamic_cast<QPlainTextEdit*>(peer_);
  if (!m || pushing_) return;
  QTextCursor cur = m->textCursor();
  // Widget positions count one character per line break; the text here has two.
  QString q = m->toPlainText();
  auto toByte = [&](int qpos) {
    qpos = std::clamp(qpos, 0, static_cast<int>(q.size()));
    return static_cast<int>(MemoFromQt(q.left(qpos)).size());
  };
  SetSel(toByte(cur.anchor()), toByte(cur.position()));
}

// ================================================================ item lists
void TItemStrings::Changed() {
  TStringList::Changed();
  if (UpdateCount() == 0 && notify_) notify_();
}

void TItemStrings::SetText(const std::string& text) {
  TStringList::SetText(wideLineBreaks_ ? WideLineBreaksAsCrLf(text) : text);
}

// ================================================================ TCustomComboBox
namespace {
// Paints owner-drawn list items through the owning control's canvas.
class TOwnerDrawDelegate : public QStyledItemDelegate {
 public:
  explicit TOwnerDrawDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
  std::function<void(QPainter*, const QRect&, int, bool, bool)> Draw;
  void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) const override {
    if (!Draw) return QStyledItemDelegate::paint(p, o, i);
    Draw(p, o.rect, i.row(), o.state & QStyle::State_Selected, o.state & QStyle::State_HasFocus);
  }
  QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex& i) const override {
    QSize s = QStyledItemDelegate::sizeHint(o, i);
    if (Height > 0) s.setHeight(Height);
    return s;
  }
  int Height = 0;
};

// One owner-drawn entry: the canvas bound to the painter, the owner's font, the
// highlight colours for a selected entry.
void PaintOwnerDrawn(TControlCanvas* Canvas, QPainter* p, const QRect& r, TFont* Font, TColor Color, bool Enabled,
                     bool Sel, bool Focus, const std::function<void(const TRect&, TOwnerDrawState)>& Draw) {
  Canvas->BeginPaint(p, FromQRect(r));
  Canvas->SetFont(Font);
  Canvas->Brush()->SetColor(Sel ? clHighlight : Color);
  if (Sel) Canvas->Font()->SetColor(clHighlightText);
  const TOwnerDrawState st = (Sel ? unsigned(odSelected) : 0u) | (Focus ? unsigned(odFocused) : 0u) |
                             (Enabled ? 0u : unsigned(odDisabled));
  try {
    Draw(FromQRect(r), st);
  } catch (...) {
    Canvas->EndPaint();
    throw;
  }
  Canvas->EndPaint();
}
}  // namespace

class TComboPeer : public TPeer<QComboBox> {
 public:
  TComboPeer(TCustomComboBox* c, QWidget* parent) : TPeer<QComboBox>(c, parent) {}
  void showPopup() override {
    auto* c = dynamic_cast<TCustomComboBox*>(LiveControl(this));
    if (c) GuiRun(c, [c] { c->DropDown(); });
    QComboBox::showPopup();
    if (c) c->droppedDown_ = true;
  }
  void hidePopup() override {
    QComboBox::hidePopup();
    auto* c = dynamic_cast<TCustomComboBox*>(LiveControl(this));
    if (c && c->droppedDown_) {
      c->droppedDown_ = false;
      GuiRun(c, [c] {
        std::shared_ptr<bool> alive = c->AliveFlag();
        c->CloseUp();
        if (*alive) c->NotifyParent(CBN_CLOSEUP);
      });
    }
  }
  void paintEvent(QPaintEvent* e) override {
    QComboBox::paintEvent(e);
    if (auto* c = dynamic_cast<TCustomComboBox*>(LiveControl(this))) c->PaintOverPeer(this);
  }
  // The open list's parts (its window, the list, its scroll bar) offer their wheel to the control.
  void WatchListWheel() {
    QAbstractItemView* v = view();
    for (QWidget* w : {v->window(), static_cast<QWidget*>(v), v->viewport(), static_cast<QWidget*>(v->verticalScrollBar())})
      if (w != this) w->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* Watched, QEvent* e) override {
    if (e->type() != QEvent::Wheel || Watched == this) return TPeer<QComboBox>::eventFilter(Watched, e);
    auto* c = dynamic_cast<TCustomComboBox*>(LiveControl(this));
    if (!c || !c->droppedDown_) return false;
    auto* we = static_cast<QWheelEvent*>(e);
    const int delta = we->angleDelta().y();
    const TShiftState shift = ShiftFromQt(we->modifiers(), we->buttons());
    bool taken = false;
    GuiRun(c, [&] { taken = c->ListWheel(delta, shift); });
    return taken;
  }
};

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), items_(new TItemStrings([this] { ItemsChanged(); })), canvas_(new TControlCanvas(this)) {
  controlStyle_ = csCaptureMouse | csSetCaption | csDoubleClicks | csFixedHeight;
  width_ = 145;
  height_ = 21;
  tabStop_ = true;
  color_ = clWindow;
  parentColor_ = false;
}

TCustomComboBox::~TCustomComboBox() = default;

int TCustomComboBox::FindExact(const std::string& s) const {
  for (int i = 0; i < items_->Count(); ++i)
    if (AnsiSameText(items_->Get(i), s)) return i;
  return -1;
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
  if (v == style_) return;
  style_ = v;
  if (ListOnly() && itemIndex_ < 0 && !text_.empty()) TWinControl::SetText(std::string());
  RecreateWnd();
}

void TCustomComboBox::SetItemIndex(int v) {
  if (v < -1 || v >= items_->Count()) v = -1;
  itemIndex_ = v;
  // Choosing an item shows its text; choosing none clears the text.
  TWinControl::SetText(v >= 0 ? items_->Get(v) : std::string());
  PushSelection();
}

void TCustomComboBox::SetText(const std::string& v) {
  if (ListOnly()) {
    int i = FindExact(v);
    if (i >= 0) SetItemIndex(i);
    return;
  }
  itemIndex_ = FindExact(v);
  TWinControl::SetText(v);
  PushSelection();
}

void TCustomComboBox::SetDropDownCount(int v) {
  dropDownCount_ = std::max(1, v);
  if (auto* c = dynamic_cast<QComboBox*>(peer_)) c->setMaxVisibleItems(dropDownCount_);
}

void TCustomComboBox::SetSorted(bool v) {
  if (v == Sorted()) return;
  std::string cur = itemIndex_ >= 0 ? items_->Get(itemIndex_) : std::string();
  int old = itemIndex_;
  items_->SetSorted(v);
  if (old >= 0) {
    itemIndex_ = items_->IndexOf(cur);
    PushSelection();
  }
}

// The limit is kept here, not by the widget: it holds for typing only.
void TCustomComboBox::SetMaxLength(int v) { maxLength_ = std::max(0, v); }

void TCustomComboBox::SetDroppedDown(bool v) {
  auto* c = dynamic_cast<QComboBox*>(peer_);
  if (!c) {
    if (v != droppedDown_) {
      droppedDown_ = v;
      if (v) DropDown();
      else CloseUp();
    }
    return;
  }
  if (v) c->showPopup();
  else c->hidePopup();
}

void TCustomComboBox::Clear() {
  items_->Clear();
  SetItemIndex(-1);
}

int TCustomComboBox::SelStart() const {
  auto* c = dynamic_cast<QComboBox*>(peer_);
  if (!c || !c->lineEdit()) return 0;
  QLineEdit* e = c->lineEdit();
  return FromQPos(e->text(), e->hasSelectedText() ? e->selectionStart() : e->cursorPosition());
}

int TCustomComboBox::SelLength() const { return static_cast<int>(SelText().size()); }

std::string TCustomComboBox::SelText() const {
  auto* c = dynamic_cast<QComboBox*>(peer_);
  return c && c->lineEdit() ? FromQString(c->lineEdit()->selectedText()) : std::string();
}

void TCustomComboBox::SetSelStart(int v) {
  auto* c = dynamic_cast<QComboBox*>(peer_);
  if (!c || !c->lineEdit()) return;
  const std::string t = FromQString(c->lineEdit()->text());
  c->lineEdit()->setCursorPosition(ToQPos(t, std::clamp(v, 0, static_cast<int>(t.size()))));
}

void TCustomComboBox::SetSelection(int Start, int Length) {
  auto* c = dynamic_cast<QComboBox*>(peer_);
  if (!c || !c->lineEdit()) return;
  const std::string t = FromQString(c->lineEdit()->text());
  const int n = static_cast<int>(t.size());
  const int a = std::clamp(Start, 0, n), z = std::clamp(Start + Length, a, n);
  c->lineEdit()->setSelection(ToQPos(t, a), ToQPos(t, z) - ToQPos(t, a));
}

void TCustomComboBox::SetAutoComplete(bool v) {
  autoComplete_ = v;
  if (auto* c = dynamic_cast<QComboBox*>(peer_); c && c->lineEdit() && !v) c->lineEdit()->setCompleter(nullptr);
  if (HandleAllocated() && v) RecreateWnd();
}

void TCustomComboBox::SelectAll() {
  if (auto* c = dynamic_cast<QComboBox*>(peer_); c && c->lineEdit()) c->lineEdit()->selectAll();
}

void TCustomComboBox::UserSelect(int Index) {
  if (Index < 0 || Index >= items_->Count()) return;
  SetItemIndex(Index);
  std::shared_ptr<bool> alive = AliveFlag();
  Click();
  if (!*alive) return;
  Select();
  if (*alive) NotifyParent(CBN_SELCHANGE);
}

void TCustomComboBox::UserEditText(const std::string& Text) {
  if (ListOnly() || Text == text_) return;
  std::string t = Text;
  if (maxLength_ > 0 && static_cast<int>(t.size()) > maxLength_) {
    MessageBeep(0);
    t.resize(static_cast<size_t>(maxLength_));
  }
  if (t == text_) return PushSelection();
  itemIndex_ = FindExact(t);
  TWinControl::SetText(t);
  std::shared_ptr<bool> alive = AliveFlag();
  Change();
  if (*alive) NotifyParent(CBN_EDITCHANGE);
}

void TCustomComboBox::NotifyParent(WORD Code) {
  if (!Parent() || !Parent()->HandleAllocated() || !HandleAllocated()) return;
  SendMessage(Parent()->Handle(), WM_COMMAND, static_cast<WPARAM>(Code) << 16, reinterpret_cast<LPARAM>(Handle()));
}

void TCustomComboBox::Change() {
  FireEvent(OnChange, this);
}
void TCustomComboBox::Select() {
  if (OnSelect) FireEvent(OnSelect, this);
  else Change();
}
void TCustomComboBox::DropDown() {
  FireEvent(OnDropDown, this);
}
void TCustomComboBox::CloseUp() {
  FireEvent(OnCloseUp, this);
}
void TCustomComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) return OnDrawItem(this, Index, Rect, State);
  canvas_->FillRect(Rect);
  if (Index >= 0 && Index < items_->Count()) canvas_->TextOut(Rect.Left + 2, Rect.Top, items_->Get(Index));
}

void TCustomComboBox::PaintOverPeer(QWidget* Widget) {
  QPainter p(Widget);
  const TRect all = FromQRect(Widget->rect());
  canvas_->BeginPaint(&p, all);
  canvas_->SetFont(font_.get());
  try {
    PaintOver();
  } catch (...) {
    canvas_->EndPaint();
    throw;
  }
  canvas_->EndPaint();
}

void TCustomComboBox::ItemsChanged() {
  if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
  if (ListOnly()) {
    std::string t = itemIndex_ >= 0 ? items_->Get(itemIndex_) : std::string();
    if (t != text_) TWinControl::SetText(t);
  }
  PushItems();
}

void TCustomComboBox::PushItems() {
  auto* c = dynamic_cast<QComboBox*>(peer_);
  if (!c) return;
  pushing_ = true;
  QStringList l;
  for (int i = 0; i < items_->Count(); ++i) l << ToQString(items_->Get(i));
  c->clear();
  c->addItems(l);
  pushing_ = false;
  PushSelection();
}

void TCustomComboBox::PushSelection() {
  auto* c = dynamic_cast<QComboBox*>(peer_);
  if (!c || pushing_) return;
  pushing_ = true;
  c->setCurrentIndex(itemIndex_);
  if (c->isEditable() && c->currentText() != ToQString(text_)) c->setEditText(ToQString(text_));
  // An open list shows the item chosen meanwhile.
  if (droppedDown_ && itemIndex_ >= 0) c->view()->setCurrentIndex(c->model()->index(itemIndex_, c->modelColumn()));
  pushing_ = false;
}

void TCustomComboBox::CMTextChanged(TMessage& Message) {
  TWinControl::CMTextChanged(Message);
  PushSelection();
}

QWidget* TCustomComboBox::ClientWidget() const {
  auto* c = dynamic_cast<QComboBox*>(peer_);
  return c && c->lineEdit() ? c->lineEdit() : peer_;
}

void TCustomComboBox::CMColorChanged(TMessage& Message) {
  TWinControl::CMColorChanged(Message);
  SetPeerBase(peer_, color_);
}

void TCustomComboBox::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (droppedDown_) Message.Result |= DLGC_WANTALLKEYS;
}

QWidget* TCustomComboBox::CreatePeer(QWidget* ParentWidget) {
  auto* c = new TComboPeer(this, ParentWidget);
  c->setEditable(style_ == csDropDown || style_ == csSimple);
  c->WatchListWheel();
  c->setInsertPolicy(QComboBox::NoInsert);
  QObject::connect(c, &QComboBox::currentIndexChanged, c, [c](int i) {
    auto* cb = dynamic_cast<TCustomComboBox*>(LiveControl(c));
    if (!cb || cb->pushing_ || i == cb->itemIndex_) return;
    GuiRun(cb, [cb, i] { cb->UserSelect(i); });
  });
  if (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable) {
    auto* d = new TOwnerDrawDelegate(c);
    d->Height = itemHeight_;
    d->Draw = [this](QPainter* p, const QRect& r, int row, bool sel, bool focus) {
      PaintOwnerDrawn(canvas_.get(), p, r, font_.get(), color_, enabled_, sel, focus,
                      [this, row](const TRect& R, TOwnerDrawState st) { DrawItem(row, R, st); });
    };
    c->setItemDelegate(d);
  }
  if (QLineEdit* e = c->lineEdit()) {
    if (!autoComplete_) e->setCompleter(nullptr);
    RouteEvents(this, e);
    QObject::connect(e, &QLineEdit::textEdited, c, [c](const QString& t) {
      auto* cb = dynamic_cast<TCustomComboBox*>(LiveControl(c));
      if (!cb || cb->pushing_) return;
      GuiRun(cb, [cb, t] { cb->UserEditText(FromQString(t)); });
    });
  }
  return c;
}

void TCustomComboBox::SetDroppedWidth(int v) {
  droppedWidth_ = std::max(0, v);
  if (auto* c = dynamic_cast<QComboBox*>(peer_)) c->view()->setMinimumWidth(droppedWidth_);
}

void TCustomComboBox::CreateWnd() {
  TWinControl::CreateWnd();
  auto* c = static_cast<QComboBox*>(peer_);
  c->setMaxVisibleItems(dropDownCount_);
  c->view()->setMinimumWidth(droppedWidth_);
  PushItems();
}

// ================================================================ TCustomListBox
class TListPeer : public TPeer<QListWidget> {
 public:
  TListPeer(TCustomListBox* c, QWidget* parent) : TPeer<QListWidget>(c, parent) {}
  void contextMenuEvent(QContextMenuEvent* e) override { e->ignore(); }
};


TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner),
      items_(new TItemStrings([this] { ItemsChanged(); })),
      canvas_(new TControlCanvas(this)) {
  controlStyle_ = csSetCaption | csDoubleClicks | csOpaque;
  width_ = 121;
  height_ = 97;
  tabStop_ = true;
  color_ = clWindow;
  parentColor_ = false;
}

TCustomListBox::~TCustomListBox() = default;

int TCustomListBox::ItemIndex() const { return itemIndex_; }

void TCustomListBox::SetItemIndex(int v) {
  if (v < -1 || v >= items_->Count()) v = -1;
  itemIndex_ = v;
  if (!multiSelect_) {
    std::fill(selected_.begin(), selected_.end(), false);
    if (v >= 0) selected_[static_cast<size_t>(v)] = true;
  }
  anchorIndex_ = v;
  PushSelection();
}

void TCustomListBox::SetMultiSelect(bool v) {
  if (v == multiSelect_) return;
  multiSelect_ = v;
  if (!v) SetItemIndex(itemIndex_);
  if (auto* l = dynamic_cast<QListWidget*>(peer_))
    l->setSelectionMode(v ? (extendedSelect_ ? QAbstractItemView::ExtendedSelection
                                             : QAbstractItemView::MultiSelection)
                          : QAbstractItemView::SingleSelection);
}

bool TCustomListBox::Selected(int Index) const {
  if (Index < 0 || Index >= items_->Count())
    throw EListError(Format("List index out of bounds (%d)", {Index}));
  return selected_[static_cast<size_t>(Index)];
}

void TCustomListBox::SetSelected(int Index, bool v) {
  if (Index < 0 || Index >= items_->Count())
    throw EListError(Format("List index out of bounds (%d)", {Index}));
  if (!multiSelect_) {
    SetItemIndex(v ? Index : (itemIndex_ == Index ? -1 : itemIndex_));
    return;
  }
  selected_[static_cast<size_t>(Index)] = v;
  PushSelection();
}

int TCustomListBox::SelCount() const {
  if (!multiSelect_) return -1;
  return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

void TCustomListBox::SetSorted(bool v) {
  if (v == Sorted()) return;
  std::string cur = itemIndex_ >= 0 ? items_->Get(itemIndex_) : std::string();
  int old = itemIndex_;
  items_->SetSorted(v);
  if (old >= 0) SetItemIndex(items_->IndexOf(cur));
}

void TCustomListBox::SetTopIndex(int v) {
  topIndex_ = std::clamp(v, 0, std::max(0, items_->Count() - 1));
  if (auto* l = dynamic_cast<QListWidget*>(peer_); l && l->item(topIndex_))
    l->scrollToItem(l->item(topIndex_), QAbstractItemView::PositionAtTop);
}

void TCustomListBox::SetStyle(TListBoxStyle v) {
  if (v == style_) return;
  style_ = v;
  RecreateWnd();
}

void TCustomListBox::SetItemHeight(int v) {
  if (v <= 0 || v == itemHeight_) return;
  itemHeight_ = v;
  RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  if (auto* l = dynamic_cast<QListWidget*>(peer_)) l->setFrameShape(v == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) const {
  int n = items_->Count();
  if (auto* l = dynamic_cast<QListWidget*>(peer_)) {
    QListWidgetItem* it = l->itemAt(QPoint(Pos.X, Pos.Y));
    if (it) return l->row(it);
    return Existing ? -1 : n;
  }
  int i = topIndex_ + (Pos.Y >= 0 ? Pos.Y / std::max(1, itemHeight_) : -1);
  if (Pos.Y >= 0 && i < n && Pos.X >= 0 && Pos.X < width_) return i;
  return Existing ? -1 : n;
}

TRect TCustomListBox::ItemRect(int Index) const {
  if (auto* l = dynamic_cast<QListWidget*>(peer_); l && l->item(Index))
    return FromQRect(l->visualItemRect(l->item(Index)));
  int y = (Index - topIndex_) * itemHeight_;
  return TRect(0, y, width_, y + itemHeight_);
}

void TCustomListBox::Clear() {
  items_->Clear();
  SetItemIndex(-1);
}

void TCustomListBox::ClearSelection() {
  std::fill(selected_.begin(), selected_.end(), false);
  if (!multiSelect_) itemIndex_ = -1;
  PushSelection();
}

void TCustomListBox::SelectAll() {
  if (!multiSelect_) return;
  std::fill(selected_.begin(), selected_.end(), true);
  PushSelection();
}

void TCustomListBox::UserClickItem(int Index, TShiftState Shift) {
  if (Index < 0 || Index >= items_->Count()) return;
  if (!multiSelect_) {
    SetItemIndex(Index);
  } else if (extendedSelect_ && (Shift & ssShift) && anchorIndex_ >= 0) {
    if (!(Shift & ssCtrl)) std::fill(selected_.begin(), selected_.end(), false);
    for (int i = std::min(anchorIndex_, Index); i <= std::max(anchorIndex_, Index); ++i)
      selected_[static_cast<size_t>(i)] = true;
    itemIndex_ = Index;
    PushSelection();
  } else if (!extendedSelect_ || (Shift & ssCtrl)) {
    selected_[static_cast<size_t>(Index)] = !selected_[static_cast<size_t>(Index)];
    itemIndex_ = anchorIndex_ = Index;
    PushSelection();
  } else {
    std::fill(selected_.begin(), selected_.end(), false);
    selected_[static_cast<size_t>(Index)] = true;
    itemIndex_ = anchorIndex_ = Index;
    PushSelection();
  }
  Click();
}

void TCustomListBox::ItemsChanged() {
  selected_.resize(static_cast<size_t>(items_->Count()), false);
  if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
  PushItems();
}

void TCustomListBox::PushItems() {
  auto* l = dynamic_cast<QListWidget*>(peer_);
  if (!l) return;
  pushing_ = true;
  l->clear();
  for (int i = 0; i < items_->Count(); ++i) l->addItem(ToQString(items_->Get(i)));
  pushing_ = false;
  PushSelection();
}

void TCustomListBox::PushSelection() {
  auto* l = dynamic_cast<QListWidget*>(peer_);
  if (!l || pushing_) return;
  pushing_ = true;
  for (int i = 0; i < l->count() && i < static_cast<int>(selected_.size()); ++i)
    l->item(i)->setSelected(selected_[static_cast<size_t>(i)]);
  if (itemIndex_ >= 0 && itemIndex_ < l->count()) l->setCurrentRow(itemIndex_, QItemSelectionModel::NoUpdate);
  pushing_ = false;
}

void TCustomListBox::PeerSelectionChanged() {
  auto* l = dynamic_cast<QListWidget*>(peer_);
  if (!l || pushing_) return;
  for (int i = 0; i < l->count() && i < static_cast<int>(selected_.size()); ++i)
    selected_[static_cast<size_t>(i)] = l->item(i)->isSelected();
  int cur = l->currentRow();
  if (multiSelect_) itemIndex_ = cur;
  else {
    auto it = std::find(selected_.begin(), selected_.end(), true);
    itemIndex_ = it == selected_.end() ? -1 : static_cast<int>(it - selected_.begin());
  }
  Click();
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) return OnDrawItem(this, Index, Rect, State);
  canvas_->FillRect(Rect);
  if (Index >= 0 && Index < items_->Count()) canvas_->TextOut(Rect.Left + 2, Rect.Top, items_->Get(Index));
}

QWidget* TCustomListBox::ClientWidget() const {
  auto* l = dynamic_cast<QListWidget*>(peer_);
  return l ? l->viewport() : peer_;
}

void TCustomListBox::CMColorChanged(TMessage& Message) {
  TWinControl::CMColorChanged(Message);
  SetPeerBase(peer_, color_);
}

void TCustomListBox::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

QWidget* TCustomListBox::CreatePeer(QWidget* ParentWidget) {
  auto* l = new TListPeer(this, ParentWidget);
  l->setSelectionMode(multiSelect_ ? (extendedSelect_ ? QAbstractItemView::ExtendedSelection
                                                      : QAbstractItemView::MultiSelection)
                                   : QAbstractItemView::SingleSelection);
  l->setUniformItemSizes(true);
  RouteEvents(this, l->viewport());
  QObject::connect(l, &QListWidget::itemSelectionChanged, l, [l] {
    if (auto* c = dynamic_cast<TCustomListBox*>(LiveControl(l))) GuiRun(c, [c] { c->PeerSelectionChanged(); });
  });
  if (style_ != lbStandard) {
    auto* d = new TOwnerDrawDelegate(l);
    d->Height = itemHeight_;
    d->Draw = [this](QPainter* p, const QRect& r, int row, bool sel, bool focus) {
      PaintOwnerDrawn(canvas_.get(), p, r, font_.get(), color_, enabled_, sel, focus,
                      [this, row](const TRect& R, TOwnerDrawState st) { DrawItem(row, R, st); });
    };
    l->setItemDelegate(d);
  }
  return l;
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  auto* l = static_cast<QListWidget*>(peer_);
  l->setFrameShape(borderStyle_ == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
  QPalette pal = l->palette();
  pal.setColor(QPalette::Base, ToQColor(color_));
  pal.setColor(QPalette::Text, ToQColor(font_->Color()));
  l->setPalette(pal);
  PushItems();
  SetTopIndex(topIndex_);
}

// ================================================================ TScrollBar
TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ &= ~(csFramed | csSetCaption | csDoubleClicks);
  width_ = 121;
  height_ = 17;
  tabStop_ = true;
  color_ = clBtnFace;
}

void TScrollBar::SetKind(TScrollBarKind v) {
  if (v == kind_) return;
  kind_ = v;
  SetBounds(left_, top_, height_, width_);
  if (auto* s = dynamic_cast<QScrollBar*>(peer_)) s->setOrientation(v == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
  if (AMax < AMin) throw EInvalidOperation("Scrollbar property out of range");
  APosition = std::clamp(APosition, AMin, AMax);
  bool changed = APosition != position_;
  min_ = AMin;
  max_ = AMax;
  position_ = APosition;
  PushToPeer();
  if (changed) Change();
}

void TScrollBar::SetPageSize(int v) {
  pageSize_ = std::clamp(v, 0, std::max(0, max_ - min_ + 1));
  PushToPeer();
}

void TScrollBar::Scroll(TScrollCode Code, int TrackPos) {
  int pos = position_;
  switch (Code) {
    case scLineUp: pos -= smallChange_; break;
    case scLineDown: pos += smallChange_; break;
    case scPageUp: pos -= largeChange_; break;
    case scPageDown: pos += largeChange_; break;
    case scPosition: case scTrack: pos = TrackPos; break;
    case scTop: pos = min_; break;
    case scBottom: pos = max_; break;
    case scEndScroll: break;
  }
  pos = std::clamp(pos, min_, max_);
  FireEvent(OnScroll, this, Code, pos);
  SetPosition(pos);
  PushToPeer();
}

void TScrollBar::Change() {
  FireEvent(OnChange, this);
}

void TScrollBar::PushToPeer() {
  auto* s = dynamic_cast<QScrollBar*>(peer_);
  if (!s || pushing_) return;
  pushing_ = true;
  s->setRange(min_, std::max(min_, max_ - std::max(0, pageSize_ - 1)));
  s->setPageStep(std::max(1, pageSize_ ? pageSize_ : largeChange_));
  s->setSingleStep(std::max(1, smallChange_));
  s->setValue(position_);
  pushing_ = false;
}

QWidget* TScrollBar::CreatePeer(QWidget* ParentWidget) {
  auto* s = new TPeer<QScrollBar>(this, ParentWidget);
  s->setOrientation(kind_ == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
  QObject::connect(s, &QScrollBar::actionTriggered, s, [s](int action) {
    auto* c = dynamic_cast<TScrollBar*>(LiveControl(s));
    if (!c || c->pushing_) return;
    TScrollCode code = scEndScroll;
    switch (action) {
      case QAbstractSlider::SliderSingleStepSub: code = scLineUp; break;
      case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; break;
      case QAbstractSlider::SliderPageStepSub: code = scPageUp; break;
      case QAbstractSlider::SliderPageStepAdd: code = scPageDown; break;
      case QAbstractSlider::SliderToMinimum: code = scTop; break;
      case QAbstractSlider::SliderToMaximum: code = scBottom; break;
      case QAbstractSlider::SliderMove: code = scTrack; break;
      default: return;
    }
    int track = s->sliderPosition();
    // The widget moves itself after this signal; put back the position kept here afterwards.
    GuiRun(c, [c, code, track] { c->Scroll(code, track); });
    QMetaObject::invokeMethod(s, [s] {
      if (auto* c2 = dynamic_cast<TScrollBar*>(LiveControl(s))) c2->PushToPeer();
    }, Qt::QueuedConnection);
  });
  return s;
}

void TScrollBar::CreateWnd() {
  TWinControl::CreateWnd();
  PushToPeer();
}
