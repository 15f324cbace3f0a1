#pragma once
// The rich edit: formatted text typed and shown in a Qt text edit, read and written as RTF.
//
// The control owns its document, so it holds, formats and measures text before its window
// exists (a hidden formatting control never needs one). The document's laid-out size is
// told as a size request whenever it changes; Ctrl+B, Ctrl+I and Ctrl+U switch the style
// of the selection (or of what is typed next), as in any rich edit.

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/Controls.h"

using TRichEditResizeEvent = std::function<void(TObject* Sender, TRect Rect)>;

class TCustomRichEdit : public TWinControl {
 public:
  explicit TCustomRichEdit(TComponent* AOwner);
  ~TCustomRichEdit() override;
  std::string ClassName() const override { return "TCustomRichEdit"; }

  // The content as RTF; a text that is no RTF goes in as plain text. False (with the
  // reason) when the RTF was refused: the control then holds the text read so far.
  bool SetRtfText(const std::string& Rtf, std::string* Error = nullptr);
  std::string RtfText() const;
  // The plain text (UTF-8, lines ended by CR LF); setting it drops every format.
  std::string Text() const override;
  void SetText(const std::string& v) override;

  bool Modified() const;
  void SetModified(bool v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);

  // Selection in characters (UTF-16 units, paragraph ends count one).
  int SelStart() const;
  int SelLength() const;
  void SetSelection(int Start, int Length);
  void SelectAll();
  // Replaces the selection as typing does, in the format typed at the caret.
  void SetSelText(const std::string& v);
  // The style of the selection's start (or of the caret's typing format).
  TFontStyles SelStyle() const;
  // Switches one of bold, italic, underline over the selection as Ctrl+B, I, U do.
  void ToggleSelStyle(TFontStyle Style);

  TRichEditResizeEvent OnResizeRequest;
  TNotifyEvent OnSelectionChange;
  TNotifyEvent OnChange;

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void CMFontChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  void WMKeyDown(TMessage& Message) override;
  void UpdatePeerGeometry() override;
  // The content's laid-out size changed: Rect is (0, 0, width, height) of what it needs.
  virtual void RequestSize(const TRect& Rect);
  virtual void SelectionChange();
  virtual void Change();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> d_;
  bool readOnly_ = false, wordWrap_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  int WrapWidth() const;
  void ApplyLayoutWidth();
  // New content in place of the old, as one change (no modification).
  void Reload(const std::function<void()>& Fill);
  void CheckSize();
};

class TRichEdit : public TCustomRichEdit {
 public:
  explicit TRichEdit(TComponent* AOwner) : TCustomRichEdit(AOwner) {}
  std::string ClassName() const override { return "TRichEdit"; }
};
