#pragma once
// A failure inside UrlPost; raised and caught there, never seen by the user.

#include <stdexcept>

class inet_error : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};
