// A JSON text parsed for a test, the parse failure reported with the text (jsoncpp's reader
// without streams, which the Windows build's jsoncpp lacks).
#pragma once

#include <gtest/gtest.h>
#include <json/json.h>

#include <memory>
#include <string>

namespace lirra::test {

inline Json::Value ParseJson(const std::string& text) {
  Json::Value root;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
  EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << errors << "\n" << text;
  return root;
}

}  // namespace lirra::test
