#include "fakes/fake_form_view.h"

#include "platform/text.h"

namespace tw::test {
namespace {
std::string Name(Ctl c) {
  return EncodeUtf8(CtlName(c));
}
}  // namespace

FakeFormView::FakeFormView() {
  // The stored layout: the home page active, Home pressed, check boxes unchecked.
  at(Ctl::BtnHome).down = true;
  at(Ctl::BtnStart).caption = u"\uC2E4\uD589\uD558\uAE30";
}

void FakeFormView::SetCaption(const std::u16string& text) {
  caption = text;
  journal.push_back("SetCaption " + EncodeUtf8(text));
}

void FakeFormView::SetControlCaption(Ctl c, const std::u16string& text) {
  at(c).caption = text;
  journal.push_back("SetControlCaption " + Name(c) + " " + EncodeUtf8(text));
}

void FakeFormView::SetEnabled(Ctl c, bool enabled) {
  at(c).enabled = enabled;
  journal.push_back("SetEnabled " + Name(c) + (enabled ? " 1" : " 0"));
}

void FakeFormView::SetVisible(Ctl c, bool visible) {
  at(c).visible = visible;
  journal.push_back("SetVisible " + Name(c) + (visible ? " 1" : " 0"));
}

void FakeFormView::SetChecked(Ctl c, bool checked) {
  at(c).checked = checked;
  journal.push_back("SetChecked " + Name(c) + (checked ? " 1" : " 0"));
}

void FakeFormView::SetDown(Ctl c, bool down) {
  // Toolbar buttons share one group: pressing one releases the others.
  if (down && (c == Ctl::BtnHome || c == Ctl::BtnConfig || c == Ctl::BtnDonate)) {
    for (Ctl other : {Ctl::BtnHome, Ctl::BtnConfig, Ctl::BtnDonate}) at(other).down = false;
  }
  at(c).down = down;
  journal.push_back("SetDown " + Name(c) + (down ? " 1" : " 0"));
}

void FakeFormView::SetActivePage(int p) {
  page = p;
  journal.push_back("SetActivePage " + std::to_string(p));
}

void FakeFormView::SetAnimating(bool on) {
  animating = on;
  journal.push_back(on ? "Animate 1" : "Animate 0");
}

void FakeFormView::ShowErrorBox(const std::u16string& text, const std::u16string& box_caption) {
  error_boxes.push_back({text, box_caption});
  journal.push_back("ErrorBox " + EncodeUtf8(text));
}

void FakeFormView::Close() {
  closed = true;
  journal.push_back("Close");
}

void FakeFormView::AttachThemeHelper() {
  journal.push_back("AttachThemeHelper");
}

void FakeFormView::FitLabelFont(Ctl label) {
  journal.push_back("FitLabelFont " + Name(label));
}

void FakeFormView::UseIconTitleFont() {
  journal.push_back("UseIconTitleFont");
}

void FakeFormView::SetApplicationTitle(const std::u16string& title) {
  application_title = title;
  journal.push_back("SetApplicationTitle " + EncodeUtf8(title));
}

}  // namespace tw::test
