#include "app/core/PathText.h"

std::string EnsureTrailingSeparator(std::string path) {
  if (path.empty() || path.back() != '/') path.push_back('/');
  return path;
}

std::string RemoveTrailingSeparator(std::string path) {
  if (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}
