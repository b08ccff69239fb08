// Records every request and answers from a script; once the script is used up, `fallback` answers.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/http.h"

namespace tw::test {

class FakeHttp : public IHttp {
 public:
  // nullopt: the transfer fails.
  using Reply = std::optional<HttpResponse>;

  bool Send(const HttpRequest& request, HttpResponse* response) override {
    Reply reply;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
      if (!script.empty()) {
        reply = script.front();
        script.pop_front();
      } else {
        reply = fallback;
      }
    }
    if (!reply) return false;
    *response = *reply;
    return true;
  }

  static Reply Ok(std::string body, int status = 200) { return HttpResponse{status, std::move(body)}; }

  std::vector<HttpRequest> Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

  std::deque<Reply> script;
  Reply fallback;  // failure unless set

 private:
  mutable std::mutex mutex_;
  std::vector<HttpRequest> requests_;
};

}  // namespace tw::test
