#!/usr/bin/env bash
# Takes a screenshot of Velnor after its load sequence, for the README. Needs root: the program
# runs in a network namespace of its own with only loopback and a veth pair (so it shows a
# local address and a network), a stub resolver, and a demonstration address page on
# 127.0.0.1:18080. Nothing leaves the machine.
#   scripts/screenshot.sh [OUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshot.png}")
source scripts/setup.sh
velnor_install_missing xvfb xauth openbox imagemagick python3 iproute2
cmake -S . -B build-screenshot -G Ninja -DVELNOR_BUILD_TESTS=OFF \
    -DVELNOR_WEB_ADDRESS_1=http://127.0.0.1:18080 >/dev/null
cmake --build build-screenshot

exec unshare --net --mount --uts --propagation private -- bash -euo pipefail -c '
  out=$1
  hostname workstation-7
  ip link set lo up
  ip link add eth0 type veth peer name eth1
  ip addr add 192.0.2.10/24 dev eth0
  ip link set eth1 up
  ip link set eth0 up
  ip route add default via 192.0.2.1 dev eth0
  tmp=$(mktemp -d)
  trap "kill \$(jobs -p) 2>/dev/null; rm -rf $tmp" EXIT
  printf "nameserver 127.0.0.1\n" >"$tmp/resolv.conf"
  mount --bind "$tmp/resolv.conf" /etc/resolv.conf
  mkdir -p "$tmp/www/Velnor"
  printf "<html><body><b>Your IP: 203.0.113.7</b><br><b>Host: dsl-203-0-113-7.isp.example</b></body></html>\n" \
      >"$tmp/www/Velnor/index.html"
  python3 -m http.server 18080 --bind 127.0.0.1 --directory "$tmp/www" >/dev/null 2>&1 &
  Xvfb :57 -screen 0 560x500x24 -nolisten tcp >/dev/null 2>&1 &
  sleep 1
  export DISPLAY=:57
  openbox >/dev/null 2>&1 &
  sleep 1
  ./build-screenshot/velnor >/dev/null 2>&1 &
  sleep 4
  import -window root -crop 420x460+70+14 +repage "$out"
  echo "wrote $out"
' screenshot "$out"
