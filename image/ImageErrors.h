#pragma once

#include <stdexcept>
#include <string>

// An image address outside 0..65535, or a write that would run past its slot or the image end.
// The handler guard shows its message like any other failure of a handler.
class ERangeError : public std::range_error
{
  public:
    explicit ERangeError(const std::string& what = "Range check error") : std::range_error(what) {}
};
