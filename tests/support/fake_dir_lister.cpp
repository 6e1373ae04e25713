#include "tests/support/fake_dir_lister.h"

#include "format/text.h"

namespace {

std::u16string withoutTrailingBackslashes(std::u16string s) {
  while (!s.empty() && s.back() == u'\\') s.pop_back();
  return s;
}

}  // namespace

FakeDirLister::FakeDirLister(std::u16string rootPath) {
  nodes_.push_back(Node{u"", kAttrDirectory, 0, 0, 0, {}, withoutTrailingBackslashes(std::move(rootPath))});
  folders_[nodes_[kRoot].path] = kRoot;
}

int FakeDirLister::addNode(int parent, const std::u16string& name, uint32_t attributes, uint64_t size) {
  nodes_.push_back(Node{name, attributes, size, 0, 0, {}, nodes_[parent].path + u"\\" + name});
  int index = static_cast<int>(nodes_.size()) - 1;
  nodes_[parent].children.push_back(index);
  if (attributes & kAttrDirectory) folders_[nodes_[index].path] = index;
  return index;
}

int FakeDirLister::addFolder(int parent, const std::u16string& name, uint32_t extraAttributes) {
  return addNode(parent, name, kAttrDirectory | extraAttributes, 0);
}

int FakeDirLister::addFile(int parent, const std::u16string& name, uint64_t size, uint32_t extraAttributes) {
  return addNode(parent, name, extraAttributes & ~kAttrDirectory, size);
}

void FakeDirLister::addFiles(int parent, std::initializer_list<std::pair<const char16_t*, uint64_t>> files) {
  for (const auto& f : files) addFile(parent, f.first, f.second);
}

DirListing FakeDirLister::open(const char16_t* pattern, DirEntry* first, uint32_t* error) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    patterns.push_back(pattern);
  }
  std::u16string p = pattern;
  bool longForm = p.compare(0, 4, u"\\\\?\\") == 0;
  if (longForm) p = p.substr(4);
  if (!p.empty() && p.back() == u'*') p.pop_back();
  auto found = folders_.find(withoutTrailingBackslashes(p));
  int folder = longForm && refuseLongForm ? -1 : found == folders_.end() ? -1 : found->second;
  uint32_t refused = folder < 0 ? kErrorPathNotFound : nodes_[folder].refuseError;
  if (refused) {
    *error = refused;
    return nullptr;
  }
  Cursor probe{folder, 0};
  fill(probe, first);  // a folder always has at least its dots
  ++open_;
  return new Cursor(probe);
}

bool FakeDirLister::fill(Cursor& c, DirEntry* entry) {
  const Node& folder = nodes_[c.folder];
  if (c.position >= folder.children.size() + 2) return false;
  if (onEntry) onEntry();
  *entry = DirEntry{};
  const Node* n = c.position < 2 ? nullptr : &nodes_[folder.children[c.position - 2]];
  entry->attributes = n ? n->attributes : kAttrDirectory;
  entry->sizeHigh = n ? static_cast<uint32_t>(n->size >> 32) : 0;
  entry->sizeLow = n ? static_cast<uint32_t>(n->size) : 0;
  entry->reserved[0] = n ? n->tag : 0;
  textCopy(entry->name, 260, n ? n->name.c_str() : c.position == 0 ? u"." : u"..");
  ++c.position;
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
