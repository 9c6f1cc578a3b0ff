# The saver's settings key under HKCU (sourced by harness.sh).
#   harness_reg_set NAME=DWORD..., harness_reg_add NAME TYPE DATA,
#   harness_reg_query NAME, harness_reg_clear
#   harness_reg_dump, harness_reg_type NAME
#   harness_reg_user_text LINE1 LINE2 LINE3 LINE4

# harness_reg_set NAME=DWORD ...: stores DWORDs under the saver's key in one go.
harness_reg_set() {
  local file=$HARNESS_TMP/set.reg kv
  HARNESS_REG_TOUCHED=1
  {
    echo 'REGEDIT4'
    echo
    echo "[${HARNESS_REG_KEY//HKCU/HKEY_CURRENT_USER}]"
    for kv in "$@"; do printf '"%s"=dword:%08x\n' "${kv%%=*}" "$(( ${kv#*=} & 0xFFFFFFFF ))"; done
  } >"$file"
  harness_wine reg import "$(harness_winpath "$file")" >"$HARNESS_TMP/reg.txt" 2>&1 </dev/null
}

# harness_reg_add NAME TYPE DATA: one value of any type (wine reg add).
harness_reg_add() {
  HARNESS_REG_TOUCHED=1
  harness_wine reg add "$HARNESS_REG_KEY" /v "$1" /t "$2" /d "$3" /f >"$HARNESS_TMP/reg.txt" 2>&1 </dev/null
}

# harness_reg_query NAME: the value's data as reg prints it (0x2, text...).
harness_reg_query() {
  harness_wine reg query "$HARNESS_REG_KEY" /v "$1" >"$HARNESS_TMP/reg.txt" 2>&1 </dev/null || return 1
  grep -F "$1" "$HARNESS_TMP/reg.txt" | tr -d '\r' | sed 's/^ *[^ ]* *REG_[A-Z_]* *//' | head -n1
}

# harness_reg_user_text LINE1 LINE2 LINE3 LINE4: the user's own four lines
# of the configuration dialog (three of text, the author).
harness_reg_user_text() {
  local i
  for i in 1 2 3 4; do harness_reg_add "m_nCustomLine$i" REG_SZ "${!i}" || return 1; done
}

# Removes the saver's key, so a run starts from the factory values.
harness_reg_clear() {
  harness_wine reg delete "$HARNESS_REG_KEY" /f >"$HARNESS_TMP/reg.txt" 2>&1 </dev/null || true
}

# harness_reg_dump: every value under the saver's key, one "name type data" a line.
harness_reg_dump() {
  harness_wine reg query "$HARNESS_REG_KEY" 2>/dev/null </dev/null | tr -d '\r' | grep '^ ' | sed 's/^ *//' || true
}

# harness_reg_type NAME: REG_DWORD, REG_SZ... of a stored value.
harness_reg_type() { harness_reg_dump | awk -v n="$1" '$1 == n {print $2}'; }
