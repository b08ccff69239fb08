#!/usr/bin/env bash
# Runs a command inside a private network namespace made for this run and removed afterwards:
# loopback plus one virtual Ethernet adapter "eth0" (192.168.77.10/24), the resolver pointed at loopback
# and the test host names mapped to 127.0.0.1. The program under Wine must never reach a real network:
# its adapter queries make reverse-DNS lookups and its production endpoints are public hosts.
# --gateway NAME:ADDRESS gives the namespace a default route through that adapter (none otherwise).
#   scripts/with-netns.sh [--adapter NAME:INDEX:CIDR]... [--gateway NAME:ADDRESS] -- command args...
set -euo pipefail
adapters=()
gateway=
while [ $# -gt 0 ]; do
  case $1 in
    --adapter) adapters+=("$2"); shift 2 ;;
    --gateway) gateway=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
((${#adapters[@]})) || adapters=("eth0:10:192.168.77.10/24")
ns=tw$$-$RANDOM
peer=$ns-p
cleanup() {
  ip netns del "$ns" 2>/dev/null || true
  ip netns del "$peer" 2>/dev/null || true
  rm -rf "/etc/netns/$ns"
}
trap cleanup EXIT
ip netns add "$ns"
ip netns add "$peer"
ip -n "$ns" link set lo up
for adapter in "${adapters[@]}"; do
  IFS=: read -r name idx cidr <<<"$adapter"
  ip -n "$ns" link add "$name" index "$idx" type veth peer name "p$idx" netns "$peer"
  ip -n "$peer" link set "p$idx" up
  [ "$cidr" = - ] || ip -n "$ns" addr add "$cidr" dev "$name"
  ip -n "$ns" link set "$name" up
done
if [ -n "$gateway" ]; then
  ip -n "$ns" route add default via "${gateway#*:}" dev "${gateway%%:*}"
fi
# `ip netns exec` bind-mounts /etc/netns/NS/* over /etc/* for the command it runs.
mkdir -p "/etc/netns/$ns"
printf 'nameserver 127.0.0.1\noptions timeout:1 attempts:1\n' >"/etc/netns/$ns/resolv.conf"
printf '127.0.0.1 localhost %s\n127.0.0.1 update.tempowave.test probe.tempowave.test link.tempowave.test\n' \
  "$(hostname)" >"/etc/netns/$ns/hosts"
rc=0
ip netns exec "$ns" env TW_NETNS="$ns" "$@" || rc=$?
exit $rc
