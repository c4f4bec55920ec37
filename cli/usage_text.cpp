#include "cli/usage_text.h"

#include "lq3860_version.h"

const char* const VERSION_TEXT = "lq3860ctl " LQ3860_VERSION;

const char* const USAGE_TEXT =
    R"(Usage: lq3860ctl [--simulate[=FILE]] [--device N] [--json] COMMAND [ARGS]

Commands:
  list                       the modules the window would list: index, a tab,
                             the product name (or "Device N"), a tab, the path
  info                       firmware version and date of the module:
                             "version X.Y" and "date 20YY/MM/DD"
  signal                     signal level of the module: "signal N" (0..3),
                             another level byte as "signal 0xNN"
  read [--save FILE]         read the module's parameters and print them as the
                             nine lines of a configuration file (CR LF line
                             ends), or write them to FILE (atomically)
  write FILE                 write a configuration file's parameters to the
                             module, exactly as Load Configuration followed by
                             Write para in the window; prints
                             "Upload Parameter OK"
  getmac IPV4 [--adapter NAME]
                             MAC address of an IPv4 host on the LAN, printed
                             as XX-XX-XX-XX-XX-XX; NAME is a network interface
                             (default: the first in sorted order)

Options:
  --simulate[=FILE]  use one simulated module instead of hardware; FILE holds
                     its memory as a configuration file (read at start, a
                     missing file means the module's defaults; written back
                     when the module accepts an upload)
  --device N         slot N of the module list (0-based, default 0)
  --json             print one JSON object per command instead of text lines
                     (nothing on stdout when the command fails)
  --help             this text
  --version          the program's version

Messages go to stderr, one per line, in the program's own words
("Download Parameter NG", "Upload Parameter NG", "The KEY must be 10 characters!",
"[G2] format error", "Get MAC Address Error", ...).

Exit status:
  0  success
  1  no module, a link failure or an NG outcome
  2  wrong usage
  3  refused input (bad configuration file, key check)
  4  MAC not found or probe failed
)";
