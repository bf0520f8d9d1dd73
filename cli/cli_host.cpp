#include "cli/cli_host.h"

#include <ostream>

namespace vornel {

MsgAnswer CliHost::messageBox(const std::string& text, const std::string& caption,
                              MsgButtons buttons, MsgIcon /*icon*/) {
  std::string oneLine = text;
  for (char& c : oneLine)
    if (c == '\n') c = ' ';
  err_ << "vornel: " << caption << " " << oneLine << "\n";
  switch (buttons) {
    case MsgButtons::Ok:
      return MsgAnswer::Ok;
    case MsgButtons::OkCancel:
      return answerYes_ ? MsgAnswer::Ok : MsgAnswer::Cancel;
    case MsgButtons::YesNoCancel:
      return answerYes_ ? MsgAnswer::Yes : MsgAnswer::Cancel;
  }
  return MsgAnswer::Cancel;
}

}  // namespace vornel
