// A dialog with a typed edit of every kind, a lookup list, the link, flat, focus-border and
// transparent looks, text drag and drop, and an inspector row edited through the typed
// edit's link, for driving by hand under a display server. What happens is printed.
#include <QApplication>
#include <cstdio>
#include <string>

#include "controls/inspector/ExtEdit.h"
#include "controls/inspector/InspLinks.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Application->Initialize();
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption("Typed edits");
  form->SetBounds(20, 20, 760, 520);
  static const std::pair<TExtEditType, const char*> kinds[] = {
      {etString, "string"}, {etNumeric, "numeric"},     {etFloat, "float"},  {etUppercase, "upper"},
      {etMixedCase, "mixed"}, {etLowerCase, "lower"},   {etPassword, "password"}, {etMoney, "money"},
      {etRange, "range"},   {etHex, "hex"},             {etAlphaNumeric, "alphanumeric"}, {etValidChars, "valid chars"},
  };
  auto say = [](const std::string& s) {
    std::printf("%s\n", s.c_str());
    std::fflush(stdout);
  };
  int y = 10;
  for (const auto& [type, name] : kinds) {
    auto* e = new TExtEdit(form);
    e->SetName(std::string("Edit") + std::to_string(static_cast<int>(type)));
    e->SetParent(form);
    e->SetBounds(110, y, 180, 22);
    e->SetEditType(type);
    e->Signed = true;
    e->ValidChars = "abc123";
    if (type == etFloat || type == etMoney) e->SetPrecision(2);
    if (type == etNumeric) {
      e->SetPrefix("#");
      e->SetSuffix(" pcs");
      e->SetText("12");
    }
    e->SetLabelCaption(name);
    e->SetLabelPosition(lpLeftCenter);
    e->OleDropSource = true;
    e->SetOleDropTarget(true);
    e->OnChange = [e, say](TObject*) { say(e->LabelCaption() + " = " + e->Text()); };
    y += 28;
  }
  auto* fruit = new TExtEdit(form);
  fruit->SetName("Fruit");
  fruit->SetParent(form);
  fruit->SetBounds(420, 10, 180, 22);
  fruit->SetLabelCaption("lookup");
  fruit->SetLabelPosition(lpLeftCenter);
  fruit->Lookup()->Enabled = true;
  fruit->Lookup()->DisplayList()->SetText("apple\napricot\navocado\nbanana\nblackberry\ncherry\nfig\ngrape\n");
  fruit->OnLookupSelect = [say](TObject*, std::string& v) { say("lookup chose " + v); };

  auto* link = new TExtEdit(form);
  link->SetParent(form);
  link->SetBounds(420, 38, 180, 22);
  link->SetLabelCaption("link");
  link->SetLabelPosition(lpLeftCenter);
  link->SetShowURL(true);
  link->SetText("www.example.com");
  link->OnURLClick = [say](TObject*, std::string u, bool& show) {
    say("link clicked " + u);
    show = false;
  };

  auto* flat = new TExtEdit(form);
  flat->SetParent(form);
  flat->SetBounds(420, 66, 180, 22);
  flat->SetLabelCaption("flat");
  flat->SetLabelPosition(lpLeftCenter);
  flat->SetFlatLineColor(clRed);
  flat->SetFlat(true);

  auto* border = new TExtEdit(form);
  border->SetParent(form);
  border->SetBounds(420, 94, 180, 22);
  border->SetLabelCaption("focus border");
  border->SetLabelPosition(lpLeftCenter);
  border->SetFocusBorder(true);
  border->SetEmptyText("empty");

  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(330, 124, 280, 40);
  panel->SetColor(clAqua);
  auto* clear = new TExtEdit(form);
  clear->SetParent(panel);
  clear->SetBounds(90, 9, 180, 22);
  clear->SetTransparent(true);
  clear->SetText("transparent");

  auto* bar = new TInspectorBar(form);
  bar->SetParent(form);
  bar->SetAlign(alNone);
  bar->SetBounds(330, 180, 280, 200);
  auto* inspLink = new TAEInspectorEditLink(form);
  inspLink->Prefix = "#";
  inspLink->EditType = etNumeric;
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetCaption("Setup");
  p->SetStyle(psProperties);
  TInspectorItem* row = p->Items()->Add();
  row->SetCaption("Code");
  row->SetPropertyType(ptCustom);
  row->SetEditLink(inspLink);
  row->SetTextValue("#12");
  TInspectorItem* other = p->Items()->Add();
  other->SetCaption("Other");
  other->SetPropertyType(ptText);

  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetCaption("OK");
  ok->SetBounds(540, 470, 90, 26);
  ok->SetDefault(true);
  ok->OnClick = [say, row](TObject*) { say("OK clicked, row Code = " + row->TextValue()); };
  auto* cancel = new TButton(form);
  cancel->SetParent(form);
  cancel->SetCaption("Cancel");
  cancel->SetBounds(640, 470, 90, 26);
  cancel->SetCancel(true);
  cancel->OnClick = [say](TObject*) { say("Cancel clicked"); };
  Application->Run();
  return 0;
}
