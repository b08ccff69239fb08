// What the translation walk needs of a window and its parts: the ownership list in order, a caption text
// where the component has one, and the item tree of a popup menu. The main window's adapter lives in app/.
#pragma once

#include <cstddef>
#include <string>

namespace tw {

class IMenuItem {
 public:
  virtual ~IMenuItem() = default;
  virtual std::u16string Caption() const = 0;
  virtual void SetCaption(const std::u16string& text) = 0;
  virtual size_t Count() const = 0;
  virtual IMenuItem* Item(size_t index) = 0;
};

class IComponent {
 public:
  virtual ~IComponent() = default;
  virtual bool IsForm() const { return false; }
  virtual bool IsPopupMenu() const { return false; }
  virtual IMenuItem* RootMenuItem() { return nullptr; }  // a popup menu's root item
  // Whether the component has a caption text at all; an empty caption still counts.
  virtual bool HasCaption() const = 0;
  virtual std::u16string Caption() const = 0;
  virtual void SetCaption(const std::u16string& text) = 0;
  // The components this one owns, in creation order.
  virtual size_t ComponentCount() const = 0;
  virtual IComponent* Component(size_t index) = 0;
};

// Translates the component's own texts and then everything it owns. A non-empty `language` first becomes
// CurrentLanguage. A window's caption goes into English unless CurrentLanguage is exactly "ko".
void TranslateComponent(IComponent* component, const std::u16string& language = {});
// Translates the item's caption into the current language, then its sub-items depth first.
void TranslateMenuItem(IMenuItem* item);

}  // namespace tw
