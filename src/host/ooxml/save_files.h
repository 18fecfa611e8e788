// The temporary files of a save, beside the file saved. A save writes the new package to a file
// of our own naming in the same folder and renames it over the target, so the target is always
// either the old file or the complete new one. A save that is killed half-way leaves its
// temporary files behind; the next save of the same file removes them.
//
// Names, for a target "deck.pptx": the marker ".deck.pptx.vintrel-XXXXXX" (six random
// characters), locked for as long as its save runs; the package being written, the marker's name
// followed by ".zip"; and the file libzip writes that one through, followed by "." and six more
// characters. A marker nobody holds locked belongs to a save that died: it and every file named
// after it go. Markers of running saves (of this or another process) are locked and left alone.
#ifndef VINTREL_HOST_OOXML_SAVE_FILES_H_
#define VINTREL_HOST_OOXML_SAVE_FILES_H_

#include <string>

namespace vintrel::ooxml {

class SaveFiles {
 public:
  // Removes what dead saves of `target` left, then creates and locks a new marker. Raises
  // vintrel::Error when the folder takes no new file.
  explicit SaveFiles(const std::string& target);
  // Removes the package (unless it was renamed over the target) and the marker.
  ~SaveFiles();
  SaveFiles(const SaveFiles&) = delete;
  SaveFiles& operator=(const SaveFiles&) = delete;

  // Where the new package is to be written.
  const std::string& package() const { return package_; }

 private:
  std::string marker_;
  std::string package_;
  int fd_ = -1;
};

// Removes the files of dead saves of `target` (see above); returns how many it removed.
int RemoveStaleSaveFiles(const std::string& target);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_SAVE_FILES_H_
