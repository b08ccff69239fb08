// Records the offers and notices the answer handling asks for, and answers the offer as told.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "update/update.h"

namespace tw::test {

class FakeUpdatePrompts : public IUpdatePrompts {
 public:
  bool UpdateDialog(const std::u16string& answer) override {
    journal.push_back(u"dialog");
    dialogs.push_back(answer);
    if (on_dialog) on_dialog();
    return answer_yes;
  }
  void ShowUpdateStatus(const std::u16string& target) override {
    journal.push_back(u"status");
    notices.push_back(target);
  }
  bool answer_yes = false;
  std::function<void()> on_dialog;
  std::vector<std::u16string> journal, dialogs, notices;
};

}  // namespace tw::test
