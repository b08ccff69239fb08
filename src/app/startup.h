// Module initialisation as one explicit, ordered sequence: each step may have a finaliser, and the finalisers
// run in reverse order at exit. No static initialiser of the program has side effects.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tw {

class StartupSequence {
 public:
  using Step = std::function<void()>;
  void Add(std::u16string name, Step init, Step fini = {});
  void Initialize();  // runs the init steps in order
  void Finalize();    // runs the finalisers of the initialised steps in reverse order
  ~StartupSequence() { Finalize(); }

 private:
  struct Entry {
    std::u16string name;
    Step init, fini;
  };
  std::vector<Entry> steps_;
  size_t initialized_ = 0;
};

}  // namespace tw
