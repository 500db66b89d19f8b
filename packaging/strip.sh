#!/bin/sh
# The strip of the package build: as Debian's packaging helpers do, it also drops the compiler's
# identification and notes, which nothing reads at run time.
exec strip --remove-section=.comment --remove-section=.note "$@"
