#!/bin/sh
# The module rules the compiler cannot see:
# - formats/ and utypes/ are pure: they never include platform/ or system headers;
# - includes run app -> operations -> formats, utypes, platform, never back;
# - only platform/ makes system calls or ends the process;
# - the tool uses no stdio or iostreams: every byte goes through platform/.
set -u
root=${1:-.}
cd "$root" || exit 2
status=0

tool_sources() { find app formats operations utypes platform -name '*.cc' ! -name '*_test.cc' -o -name '*.h' 2>/dev/null; }

report() {
  if [ -n "$2" ]; then
    printf '%s\n%s\n\n' "$1" "$2"
    status=1
  fi
}

report "pure modules must not reach the system:" \
  "$(grep -nE '#include [<"](platform/|unistd|fcntl|sys/)' formats/*.* utypes/*.* 2>/dev/null | grep -v '_test.cc')"

report "dependencies run app -> operations -> formats, utypes, platform, never back:" \
  "$(grep -nE '#include "(app|operations)/' formats/* utypes/* platform/* 2>/dev/null; \
     grep -nE '#include "app/' operations/* 2>/dev/null; \
     grep -nE '#include "(formats|utypes)/' platform/* 2>/dev/null)"

report "system calls outside platform/:" \
  "$(tool_sources | grep -v '^platform/' | xargs grep -nE '(::|\b)(open|read|write|close|unlink|rename|fsync|fstat|stat|lseek|pread|pwrite|copy_file_range)\(' 2>/dev/null | grep -vE '//|WriteAll|ReadUpTo|WriteConsole|Close\(')"

report "process exits outside platform/ and app/main:" \
  "$(tool_sources | grep -vE '^(platform/|app/main.cc)' | xargs grep -nE '\b(exit|_exit|abort|quick_exit)\(' 2>/dev/null)"

report "stdio or iostreams in the tool:" \
  "$(tool_sources | xargs grep -nE '#include <(cstdio|stdio.h|iostream|fstream|sstream|ostream)>|\b(printf|fprintf|puts|fopen|fwrite)\(|std::(cout|cerr)\b' 2>/dev/null)"

exit $status
