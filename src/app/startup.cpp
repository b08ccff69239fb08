#include "app/startup.h"

namespace tw {

void StartupSequence::Add(std::u16string name, Step init, Step fini) {
  steps_.push_back({std::move(name), std::move(init), std::move(fini)});
}

void StartupSequence::Initialize() {
  for (; initialized_ < steps_.size(); ++initialized_) {
    if (steps_[initialized_].init) steps_[initialized_].init();
  }
}

void StartupSequence::Finalize() {
  while (initialized_ > 0) {
    --initialized_;
    if (steps_[initialized_].fini) steps_[initialized_].fini();
  }
}

}  // namespace tw
