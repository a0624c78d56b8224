#!/bin/bash
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
# The bash completion of ornsys offers the categories after the program's
# name and a category's options after it. Usage: completion-check.sh COMPLETION ORNSYS
set -u
source "$1"
tool=$2
failed=0
expect() {  # words before the cursor..., then the word at the cursor; expected replies in $want
    COMP_WORDS=("$tool" "$@")
    COMP_CWORD=$#
    _ornsys
    if [ "${COMPREPLY[*]}" != "$want" ]; then
        echo "FAIL: ornsys $*| offers '${COMPREPLY[*]}', expected '$want'"
        failed=1
    fi
}
want="-INFO -NVR -I2C -WD -VGA -TEMP -VOLT -SYS -BATT -OEM -help -longhelp -version" expect ""
want="-VGA -VOLT" expect "-V"
want="-a -be -bl -bu -c -d -i -q -r -t -w -help" expect -NVR ""
want="-be -bl -bu" expect -nvr -b
want="-c -s -t -help" expect -WD ""
want="-c -g -i -help" expect -BATT ""
[ $failed = 0 ] && echo "completion: categories and options offered"
exit $failed
