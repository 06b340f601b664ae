#!/usr/bin/env bash
# The deployment playbook in examples/deploy/ passes Ansible's syntax check.
# Prints "deploy-example: 1 passed, 0 failed" or Ansible's complaint.
set -uo pipefail
cd "$(dirname "$0")/.."
command -v ansible-playbook >/dev/null || { echo "ansible-playbook is missing (tools/install-deps.sh installs it)"; exit 1; }
inventory=$(mktemp /tmp/quellmar-inventory.XXXXXX)
trap 'rm -f "$inventory"' EXIT
printf '[windows]\npc1 ansible_connection=winrm\n' >"$inventory"
if out=$(ANSIBLE_NOCOLOR=1 ansible-playbook --syntax-check -i "$inventory" examples/deploy/quellmar-cleanup.yml 2>&1); then
  echo "deploy-example: 1 passed, 0 failed"
else
  echo "$out"
  echo "deploy-example: 0 passed, 1 failed"
  exit 1
fi
