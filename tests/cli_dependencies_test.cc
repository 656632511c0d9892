// SPDX-License-Identifier: GPL-3.0-or-later
// xsrating-cli starts in a millisecond only while it links no Qt: the figure
// comes from a module that --plot loads. Read from the executables' dynamic
// sections (DT_NEEDED), the list ldd starts from.

#include <elf.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using testing::Contains;
using testing::Each;
using testing::Not;
using testing::StartsWith;

std::string Slurp(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

template <typename T>
std::optional<T> ReadAt(const std::string& image, size_t offset) {
  if (offset > image.size() || image.size() - offset < sizeof(T)) {
    return std::nullopt;
  }
  T value;
  std::memcpy(&value, image.data() + offset, sizeof(T));
  return value;
}

// The libraries an ELF file of one class names as needed; nullopt when the
// file is cut short or has no dynamic section.
template <typename Ehdr, typename Phdr, typename Dyn>
std::optional<std::vector<std::string>> NeededOfClass(
    const std::string& image) {
  const std::optional<Ehdr> header = ReadAt<Ehdr>(image, 0);
  if (!header) return std::nullopt;
  std::vector<Phdr> loads;
  std::optional<Phdr> dynamic;
  for (size_t i = 0; i < header->e_phnum; ++i) {
    const std::optional<Phdr> segment =
        ReadAt<Phdr>(image, header->e_phoff + i * header->e_phentsize);
    if (!segment) return std::nullopt;
    if (segment->p_type == PT_LOAD) loads.push_back(*segment);
    if (segment->p_type == PT_DYNAMIC) dynamic = segment;
  }
  if (!dynamic) return std::nullopt;
  std::vector<size_t> name_offsets;
  std::optional<size_t> strings;  // The string table's address in memory.
  for (size_t at = dynamic->p_offset;
       at + sizeof(Dyn) <= dynamic->p_offset + dynamic->p_filesz;
       at += sizeof(Dyn)) {
    const std::optional<Dyn> entry = ReadAt<Dyn>(image, at);
    if (!entry || entry->d_tag == DT_NULL) break;
    if (entry->d_tag == DT_NEEDED) name_offsets.push_back(entry->d_un.d_val);
    if (entry->d_tag == DT_STRTAB) strings = entry->d_un.d_ptr;
  }
  if (!strings) return std::nullopt;
  // From the address to the place in the file, through the segment that
  // loads it.
  std::optional<size_t> table;
  for (const Phdr& load : loads) {
    if (*strings >= load.p_vaddr && *strings < load.p_vaddr + load.p_filesz) {
      table = *strings - load.p_vaddr + load.p_offset;
    }
  }
  if (!table) return std::nullopt;
  std::vector<std::string> needed;
  for (size_t offset : name_offsets) {
    if (*table + offset >= image.size()) return std::nullopt;
    needed.emplace_back(image.c_str() + *table + offset);
  }
  return needed;
}

std::optional<std::vector<std::string>> Needed(const char* path) {
  const std::string image = Slurp(path);
  if (image.size() < EI_NIDENT || std::memcmp(image.data(), ELFMAG, SELFMAG)) {
    return std::nullopt;
  }
  switch (image[EI_CLASS]) {
    case ELFCLASS64:
      return NeededOfClass<Elf64_Ehdr, Elf64_Phdr, Elf64_Dyn>(image);
    case ELFCLASS32:
      return NeededOfClass<Elf32_Ehdr, Elf32_Phdr, Elf32_Dyn>(image);
    default:
      return std::nullopt;
  }
}

TEST(CliDependenciesTest, TheProgramLinksNoQt) {
  const std::optional<std::vector<std::string>> needed = Needed(XSRATING_CLI);
  ASSERT_TRUE(needed.has_value()) << XSRATING_CLI;
  // Read right: the C library is always there.
  EXPECT_THAT(*needed, Contains(StartsWith("libc.so")));
  EXPECT_THAT(*needed, Each(Not(StartsWith("libQt"))));
}

#ifdef XSRATING_FIGURE_MODULE
TEST(CliDependenciesTest, TheFigureModuleCarriesQt) {
  const std::optional<std::vector<std::string>> needed =
      Needed(XSRATING_FIGURE_MODULE);
  ASSERT_TRUE(needed.has_value()) << XSRATING_FIGURE_MODULE;
  EXPECT_THAT(*needed, Contains(StartsWith("libQt6Charts.so")));
  EXPECT_THAT(*needed, Contains(StartsWith("libQt6Svg.so")));
}
#endif

}  // namespace
