#include "tests/support/fake_dir_lister.h"

#include "format/text.h"

namespace {

std::u16string withoutTrailingBackslashes(std::u16string s) {
  while (!s.empty() && s.back() == u'\\') s.pop_back();
  return s;
}

}  // namespace

FakeDirLister::FakeDirLister(std::u16string rootPath) : root_(std::move(rootPath)) {
  Node root;
  root.attributes = kAttrDirectory;
  nodes_.push_back(root);
}

int FakeDirLister::addFolder(int parent, const std::u16string& name, uint32_t extraAttributes) {
  Node n;
  n.name = name;
  n.attributes = kAttrDirectory | extraAttributes;
  nodes_.push_back(n);
  int index = static_cast<int>(nodes_.size()) - 1;
  nodes_[parent].children.push_back(index);
  return index;
}

int FakeDirLister::addFile(int parent, const std::u16string& name, uint64_t size, uint32_t extraAttributes) {
  Node n;
  n.name = name;
  n.attributes = extraAttributes & ~kAttrDirectory;
  n.size = size;
  nodes_.push_back(n);
  int index = static_cast<int>(nodes_.size()) - 1;
  nodes_[parent].children.push_back(index);
  return index;
}

int FakeDirLister::folderAt(const std::u16string& rawPath) const {
  std::u16string path = withoutTrailingBackslashes(rawPath);
  std::u16string root = withoutTrailingBackslashes(root_);
  if (path == root) return kRoot;
  if (path.size() <= root.size() + 1 || path.compare(0, root.size(), root) != 0 || path[root.size()] != u'\\')
    return -1;
  int node = kRoot;
  size_t at = root.size() + 1;
  while (at <= path.size()) {
    size_t end = path.find(u'\\', at);
    if (end == std::u16string::npos) end = path.size();
    std::u16string part = path.substr(at, end - at);
    int found = -1;
    for (int child : nodes_[node].children) {
      if ((nodes_[child].attributes & kAttrDirectory) && nodes_[child].name == part) {
        found = child;
        break;
      }
    }
    if (found < 0) return -1;
    node = found;
    at = end + 1;
  }
  return node;
}

DirListing FakeDirLister::open(const char16_t* pattern, DirEntry* first) {
  std::u16string p = pattern;
  patterns.push_back(p);
  bool longForm = false;
  if (p.compare(0, 8, u"\\\\?\\UNC\\") == 0) {
    p = u"\\\\" + p.substr(8);
    longForm = true;
  } else if (p.compare(0, 4, u"\\\\?\\") == 0) {
    p = p.substr(4);
    longForm = true;
  }
  if (longForm && refuseLongForm) {
    lastError_ = kErrorPathNotFound;
    return nullptr;
  }
  if (p.size() >= 1 && p.back() == u'*') p.pop_back();
  int folder = folderAt(p);
  if (folder < 0) {
    lastError_ = kErrorPathNotFound;
    return nullptr;
  }
  if (nodes_[folder].refuseError) {
    lastError_ = nodes_[folder].refuseError;
    return nullptr;
  }
  Cursor probe{folder, withDots ? 0u : 2u};
  if (!fill(probe, first)) {
    lastError_ = kErrorFileNotFound;  // an empty folder has at least its dots on a real disk
    return nullptr;
  }
  ++open_;
  return new Cursor(probe);
}

bool FakeDirLister::fill(Cursor& c, DirEntry* entry) {
  const Node& folder = nodes_[c.folder];
  if (c.position >= folder.children.size() + 2) return false;
  if (onEntry) onEntry();
  *entry = DirEntry{};
  if (c.position < 2) {
    entry->attributes = kAttrDirectory;
    textCopy(entry->name, 260, c.position == 0 ? u"." : u"..");
  } else {
    const Node& n = nodes_[folder.children[c.position - 2]];
    entry->attributes = n.attributes;
    entry->sizeHigh = static_cast<uint32_t>(n.size >> 32);
    entry->sizeLow = static_cast<uint32_t>(n.size);
    textCopy(entry->name, 260, n.name.c_str());
  }
  ++c.position;
  ++delivered_;
  return true;
}

bool FakeDirLister::next(DirListing listing, DirEntry* entry) {
  return fill(*static_cast<Cursor*>(listing), entry);
}

void FakeDirLister::close(DirListing listing) {
  delete static_cast<Cursor*>(listing);
  --open_;
}

void prepareTestModel(ScanModel& m, const std::u16string& target, ScanHost* host, DirLister* lister) {
  initScanModel(m);
  textCopy(m.targetPath, kPathUnits, target.c_str());
  m.host = host;
  m.lister = lister;
}
