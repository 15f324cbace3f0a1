// The rich edit over Qt's text edit; the document is the control's, the widget only shows it.
#include "platform/gui/RichEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <cmath>

#include "platform/gui/GuiInternal.h"
#include "platform/gui/Messages.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/QtPeer.h"
#include "platform/gui/RichTextQt.h"
#include "platform/gui/Windows.h"

namespace {
class TRichEditPeer : public TPeer<QTextEdit> {
 public:
  TRichEditPeer(TCustomRichEdit* c, QWidget* parent) : TPeer<QTextEdit>(c, parent) {}

 protected:
  void contextMenuEvent(QContextMenuEvent* e) override {
    GuiTranslate(this, e);
    e->accept();
  }
};

TCustomRichEdit* LiveRichEdit(QWidget* w) {
  TPeerBase* p = PeerOf(w);
  return p ? dynamic_cast<TCustomRichEdit*>(p->Control) : nullptr;
}
}  // namespace

struct TCustomRichEdit::TImpl {
  QTextDocument Doc;
  // The cursor while there is no widget (the widget keeps its own).
  QTextCursor Cursor{&Doc};
  QTextEdit* Edit = nullptr;
  QSize Told{-1, -1};
  bool Loading = false;
  QTextCursor Cur() const { return Edit ? Edit->textCursor() : Cursor; }
  void SetCur(const QTextCursor& c) {
    if (Edit)
      Edit->setTextCursor(c);
    else
      Cursor = c;
  }
};

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner) : TWinControl(AOwner), d_(new TImpl) {
  width_ = 185;
  height_ = 89;
  tabStop_ = true;
  d_->Doc.setDocumentMargin(0);
  d_->Doc.setDefaultFont(TQtCanvasBackend::MakeFont(font_->Data()));
  QObject::connect(&d_->Doc, &QTextDocument::contentsChanged, [this] {
    if (d_->Loading) return;
    CheckSize();
    Change();
  });
  ApplyLayoutWidth();
}

TCustomRichEdit::~TCustomRichEdit() {
  DestroyWnd();
  QObject::disconnect(&d_->Doc, nullptr, nullptr, nullptr);
}

bool TCustomRichEdit::SetRtfText(const std::string& Rtf, std::string* Error) {
  bool ok = true;
  if (Rtf.rfind("{\\", 0) == 0)
    Reload([&] { ok = LoadRtfInto(&d_->Doc, Rtf, Error); });
  else
    SetText(Rtf);
  return ok;
}

std::string TCustomRichEdit::RtfText() const { return SaveRtfFrom(&d_->Doc); }

std::string TCustomRichEdit::Text() const { return PlainTextOf(&d_->Doc); }

void TCustomRichEdit::SetText(const std::string& v) {
  std::string t;
  for (size_t i = 0; i < v.size(); ++i)
    if (!(v[i] == '\r' && i + 1 < v.size() && v[i + 1] == '\n')) t += v[i] == '\r' ? '\n' : v[i];
  Reload([&] { d_->Doc.setPlainText(ToQString(t)); });
}

void TCustomRichEdit::Reload(const std::function<void()>& Fill) {
  d_->Loading = true;
  Fill();
  d_->Loading = false;
  d_->Doc.setModified(false);
  QTextCursor c(&d_->Doc);
  c.movePosition(QTextCursor::End);
  d_->SetCur(c);
  CheckSize();
  Change();
}

bool TCustomRichEdit::Modified() const { return d_->Doc.isModified(); }
void TCustomRichEdit::SetModified(bool v) { d_->Doc.setModified(v); }

void TCustomRichEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  if (d_->Edit) d_->Edit->setReadOnly(v);
}

void TCustomRichEdit::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  if (d_->Edit) d_->Edit->setLineWrapMode(v ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  ApplyLayoutWidth();
}

void TCustomRichEdit::SetBorderStyle(TBorderStyle v) {
  borderStyle_ = v;
  if (d_->Edit) d_->Edit->setFrameShape(v == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
}

int TCustomRichEdit::SelStart() const { return d_->Cur().selectionStart(); }
int TCustomRichEdit::SelLength() const {
  const QTextCursor c = d_->Cur();
  return c.selectionEnd() - c.selectionStart();
}

void TCustomRichEdit::SetSelection(int Start, int Length) {
  QTextCursor c(&d_->Doc);
  const int end = d_->Doc.characterCount() - 1;
  c.setPosition(std::clamp(Start, 0, end));
  c.setPosition(std::clamp(Start + Length, 0, end), QTextCursor::KeepAnchor);
  d_->SetCur(c);
  if (!d_->Edit) SelectionChange();
}

void TCustomRichEdit::SelectAll() { SetSelection(0, d_->Doc.characterCount()); }

void TCustomRichEdit::SetSelText(const std::string& v) {
  if (readOnly_) return;
  QTextCursor c = d_->Cur();
  c.insertText(ToQString(v));
  d_->SetCur(c);
}

TFontStyles TCustomRichEdit::SelStyle() const {
  QTextCursor c = d_->Cur();
  if (c.hasSelection() && c.position() > c.anchor()) c.setPosition(c.anchor() + 1);
  const QTextCharFormat f = c.charFormat();
  const QFont font = f.font();
  TFontStyles s = 0;
  if (font.bold()) s |= fsBold;
  if (font.italic()) s |= fsItalic;
  if (f.fontUnderline()) s |= fsUnderline;
  if (f.fontStrikeOut()) s |= fsStrikeOut;
  return s;
}

void TCustomRichEdit::ToggleSelStyle(TFontStyle Style) {
  if (readOnly_) return;
  const bool on = !(SelStyle() & Style);
  QTextCharFormat f;
  if (Style == fsBold) f.setFontWeight(on ? QFont::Bold : QFont::Normal);
  if (Style == fsItalic) f.setFontItalic(on);
  if (Style == fsUnderline) f.setFontUnderline(on);
  if (Style == fsStrikeOut) f.setFontStrikeOut(on);
  QTextCursor c = d_->Cur();
  c.mergeCharFormat(f);
  // Without a selection the caret types in the new style.
  if (!c.hasSelection() && d_->Edit) d_->Edit->mergeCurrentCharFormat(f);
  d_->SetCur(c);
}

// The width the text wraps at: the control's client, or none.
int TCustomRichEdit::WrapWidth() const { return wordWrap_ ? std::max(1, width_ - (borderStyle_ == bsNone ? 0 : 4)) : -1; }

void TCustomRichEdit::ApplyLayoutWidth() {
  d_->Doc.setTextWidth(WrapWidth());
  CheckSize();
}

void TCustomRichEdit::UpdatePeerGeometry() {
  TWinControl::UpdatePeerGeometry();
  if (!d_->Edit) ApplyLayoutWidth();
}

void TCustomRichEdit::CheckSize() {
  const QSizeF s = d_->Doc.size();
  const QSize now(static_cast<int>(std::ceil(wordWrap_ ? s.width() : d_->Doc.idealWidth())),
                  static_cast<int>(std::ceil(s.height())));
  if (now == d_->Told) return;
  d_->Told = now;
  RequestSize(TRect(0, 0, now.width(), now.height()));
}

void TCustomRichEdit::RequestSize(const TRect& Rect) {
  if (OnResizeRequest) OnResizeRequest(this, Rect);
}

void TCustomRichEdit::SelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TCustomRichEdit::Change() {
  if (OnChange) OnChange(this);
}

QWidget* TCustomRichEdit::CreatePeer(QWidget* ParentWidget) {
  auto* e = new TRichEditPeer(this, ParentWidget);
  e->setDocument(&d_->Doc);
  QObject::connect(e, &QTextEdit::selectionChanged, e, [e] {
    if (auto* c = LiveRichEdit(e)) GuiRun(c, [c] { c->SelectionChange(); });
  });
  QObject::connect(e, &QTextEdit::cursorPositionChanged, e, [e] {
    // A caret move is a selection change of length 0 (Qt tells only changes of a range).
    if (auto* c = LiveRichEdit(e); c && !e->textCursor().hasSelection()) GuiRun(c, [c] { c->SelectionChange(); });
  });
  return e;
}

void TCustomRichEdit::CreateWnd() {
  const QTextCursor keep = d_->Cursor;
  TWinControl::CreateWnd();
  d_->Edit = static_cast<QTextEdit*>(peer_);
  d_->Edit->setAcceptRichText(true);
  d_->Edit->setReadOnly(readOnly_);
  d_->Edit->setFrameShape(borderStyle_ == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
  d_->Edit->setLineWrapMode(wordWrap_ ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  d_->Edit->setTabChangesFocus(true);
  QPalette pal = d_->Edit->palette();
  pal.setColor(QPalette::Base, ToQColor(color_));
  pal.setColor(QPalette::Text, ToQColor(font_->Color()));
  d_->Edit->setPalette(pal);
  d_->Edit->setTextCursor(keep);
}

void TCustomRichEdit::DestroyWnd() {
  if (d_->Edit) {
    d_->Cursor = d_->Edit->textCursor();
    // The document outlives the widget: it is the control's.
    d_->Edit->setDocument(new QTextDocument(d_->Edit));
    d_->Edit = nullptr;
  }
  TWinControl::DestroyWnd();
  // No size request while the window goes: its owner may be going too.
  d_->Doc.setTextWidth(WrapWidth());
}

void TCustomRichEdit::CMFontChanged(TMessage& Message) {
  d_->Doc.setDefaultFont(TQtCanvasBackend::MakeFont(font_->Data()));
  TWinControl::CMFontChanged(Message);
  if (d_->Edit) {
    QPalette pal = d_->Edit->palette();
    pal.setColor(QPalette::Text, ToQColor(font_->Color()));
    d_->Edit->setPalette(pal);
  }
  CheckSize();
}

void TCustomRichEdit::CMColorChanged(TMessage& Message) {
  TWinControl::CMColorChanged(Message);
  if (d_->Edit) {
    QPalette pal = d_->Edit->palette();
    pal.setColor(QPalette::Base, ToQColor(color_));
    d_->Edit->setPalette(pal);
  }
}

void TCustomRichEdit::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTALLKEYS;
}

void TCustomRichEdit::WMKeyDown(TMessage& Message) {
  TWinControl::WMKeyDown(Message);
  if (Message.WParam == 0 || Message.Result) return;
  const TShiftState s = KeyboardStateToShiftState();
  if ((s & (ssCtrl | ssAlt | ssShift)) != ssCtrl) return;
  const WORD k = static_cast<WORD>(Message.WParam);
  const TFontStyle st = k == 'B' ? fsBold : k == 'I' ? fsItalic : k == 'U' ? fsUnderline : TFontStyle(0);
  if (!st) return;
  ToggleSelStyle(st);
  Message.WParam = 0;
  Message.Result = 1;
}
