#include "platform/gui/testing/TestResponder.h"

#include <gtest/gtest.h>

namespace {
const char* KindName(TDialogKind k) {
  switch (k) {
    case dkMessage: return "message box";
    case dkInput: return "input query";
    case dkOpenFile: return "open dialog";
    case dkPrint: return "print dialog";
    case dkColor: return "colour dialog";
    case dkFont: return "font dialog";
    default: return "save dialog";
  }
}
}  // namespace

TTestResponder& TTestResponder::ExpectMessage(const std::string& TextPart, int Result) {
  expected_.push_back({dkMessage, TextPart, Result, std::string(), 0});
  return *this;
}
TTestResponder& TTestResponder::ExpectInput(const std::string& PromptPart, const std::string& Value, bool Ok) {
  expected_.push_back({dkInput, PromptPart, Ok ? mrOk : mrCancel, Value, 0});
  return *this;
}
TTestResponder& TTestResponder::ExpectOpen(const std::string& FileName, int FilterIndex) {
  expected_.push_back({dkOpenFile, std::string(), FileName.empty() ? mrCancel : mrOk, FileName, FilterIndex});
  return *this;
}
TTestResponder& TTestResponder::ExpectSave(const std::string& FileName, int FilterIndex) {
  expected_.push_back({dkSaveFile, std::string(), FileName.empty() ? mrCancel : mrOk, FileName, FilterIndex});
  return *this;
}

TTestResponder& TTestResponder::ExpectPrint(const std::string& PdfFile, bool Ok) {
  expected_.push_back({dkPrint, std::string(), Ok ? mrOk : mrCancel, PdfFile, 0});
  return *this;
}

TTestResponder& TTestResponder::ExpectColor(TColor Color, bool Ok) {
  TExpected e{dkColor, std::string(), Ok ? mrOk : mrCancel, std::string(), 0};
  e.Color = Color;
  expected_.push_back(e);
  return *this;
}

TTestResponder& TTestResponder::ExpectFont(const std::string& Name, int Size, TFontStyles Style, bool Ok) {
  TExpected e{dkFont, std::string(), Ok ? mrOk : mrCancel, Name, 0};
  e.Size = Size;
  e.Style = Style;
  expected_.push_back(e);
  return *this;
}

bool TTestResponder::Answer(const TDialogRequest& r, TDialogAnswer& a) {
  seen_.push_back(r);
  bool match = !expected_.empty() && expected_.front().Kind == r.Kind &&
               r.Text.find(expected_.front().Part) != std::string::npos;
  if (!match) {
    ADD_FAILURE() << "Unexpected " << KindName(r.Kind) << ": " << r.Describe()
                  << (expected_.empty() ? std::string(" (nothing expected)")
                                        : std::string(" (expected a ") + KindName(expected_.front().Kind) +
                                              " with \"" + expected_.front().Part + "\")");
    a.Result = (r.Buttons & mbCancel) ? mrCancel : (r.Buttons & mbNo) ? mrNo : mrOk;
    if (r.Kind != dkMessage) a.Result = mrCancel;
    a.FilterIndex = r.FilterIndex;
    return true;
  }
  TExpected e = expected_.front();
  expected_.pop_front();
  a.Result = e.Result;
  a.Value = e.Value;
  a.FileName = e.Value;
  a.FilterIndex = e.FilterIndex > 0 ? e.FilterIndex : r.FilterIndex;
  a.Color = e.Color;
  a.FontName = e.Value;
  a.FontSize = e.Size;
  a.FontStyle = e.Style;
  return true;
}

void TTestResponder::Verify() {
  for (const auto& e : expected_)
    ADD_FAILURE() << "Expected " << KindName(e.Kind) << " \"" << e.Part << e.Value << "\" never came";
  Reset();
}

void TTestResponder::Reset() {
  expected_.clear();
  seen_.clear();
}

TTestResponder& Responder() {
  static TTestResponder r;
  return r;
}
