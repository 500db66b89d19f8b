# shellcheck shell=bash
# Shared by the benchmarks; sourced from the repository's root. Installs and builds what they
# need, brings a lab layout up (taken down again when the benchmark ends) and runs commands in it
# or in a namespace with loopback only.

# The packages given besides the project's own, and the default build with the benchmarks.
# shellcheck disable=SC2120 # some benchmarks need packages, others none
bench_build() { # [package...]
    source scripts/setup.sh
    velnor_install_missing "$@"
    velnor_build default -DVELNOR_BUILD_TESTS=ON >/dev/null
}

# The start of a benchmark in a lab: from the repository's root, `runs` as given or the
# default, the lab layout up.
bench_in_lab() { # lab-script layout default-runs [runs]
    cd "$(dirname "${BASH_SOURCE[0]}")/.."
    runs=${4:-$3}
    bench_lab_up "$1" "$2"
}

bench_lab_up() { # lab-script layout
    BENCH_LAB=$1 BENCH_LAYOUT=$2
    # shellcheck disable=SC2119
    bench_build
    "$1" install
    # shellcheck disable=SC2064 # the names are fixed now
    trap "'$1' down '$2' >/dev/null 2>&1 || true" EXIT
    "$1" up "$2" >/dev/null
}

# CMD in the client namespace of the lab bench_lab_up brought up.
bench_exec() { "$BENCH_LAB" exec "$BENCH_LAYOUT" "$@"; }

ms_of() { # ms_of CMD...: wall time of one run in milliseconds
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

# The runs a benchmark was given (default 9), or its usage and status 2 when fewer than 7.
bench_runs() { # script [runs]
    runs=${2:-9}
    if ! [[ $runs =~ ^[0-9]+$ ]] || ((runs < 7)); then
        echo "usage: $1 [RUNS >= 7]" >&2
        exit 2
    fi
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
median_of() { printf '%s\n' "$@" | median; }

# The list fill's figures (arrays velnor, firsts, totals) beside smbtree's (reference).
show_fill_beside_smbtree() {
    echo "runs: $runs (median wall time, including starting the process in the namespace)"
    show_ms "velnor list fill" "${velnor[@]}"
    show_ms "  of which to the first row" "${firsts[@]}"
    show_ms "  and to the complete list" "${totals[@]}"
    show_ms "smbtree -U guest%" "${reference[@]}"
}

# One line of figures: the label, the median of the milliseconds, and every run's.
show_ms() { # label ms...
    local label=$1
    shift
    printf '%-36s %s ms   (%s)\n' "$label:" "$(median_of "$@")" "$*"
}

# CMD where nothing it sends can leave the machine (velnor_isolated, scripts/setup.sh): the program
# looks for names and neighbours as it starts.
bench_sandbox() { velnor_isolated "$@"; }
