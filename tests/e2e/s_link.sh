# The about page's link in the running program: a real click opens the product's address
# through the shell (the prefix's handler of web addresses replaced by a recorder).
scenario_60_about_page_link() {
  local record=$WORK/link-record.txt saved=$WORK/link-handler.reg key='HKCR\http\shell\open\command'
  local shots=$E2E_ROOT/build/e2e/shots rect
  mkdir -p "$shots"
  rm -f "$record" "$saved"
  wine reg export "$key" "$(winepath -w "$saved")" /y >/dev/null 2>&1
  wine reg add "$key" /ve /d "\"$(winepath -w "$BIN/urlrecord.exe")\" \"$(winepath -w "$record")\" \"%1\"" /f >/dev/null 2>&1
  quiet_start
  start_shell
  start_sim ""
  qctl show
  eventually 5 probe visible TQuillarForm
  rect=$(probe rect TQuillarForm TUrlLabel | tr -d '\r')
  check "the about page has the link" test -n "$rect"
  if [ -n "$rect" ]; then
    local l t w h
    read -r l t w h <<<"$rect"
    sleep 0.5
    import -window root "$shots/about-link.png"
    xdotool mousemove $((l + 20)) $((t + h / 2)) click 1
    eventually 10 test -s "$record"
    check "a click opens the product's address through the shell" \
      bash -c "tr -d '\r' < '$record' | grep -qx 'http://www.quillar.example/'"
    probe click TQuillarForm "&OK"
  fi
  stop_sim
  stop_shell
  if [ -s "$saved" ]; then wine reg import "$(winepath -w "$saved")" >/dev/null 2>&1; else wine reg delete "$key" /ve /f >/dev/null 2>&1; fi
}
