// The head every page of the data folder must start with, written out independently of the
// product's own constant so that a changed head is caught.
#pragma once

#include <string>

namespace gvde::testkit {

inline const std::string kExpectedPageHead =
    R"(<html><head><link rel="stylesheet" type="text/css" href="style.css" media="all"></head><body>)";

}  // namespace gvde::testkit
