# Sourced: a real RTMP server for the tests, nginx-rtmp in the foreground on 127.0.0.1.
# start_rtmp DIR PORT... records every publish into DIR/rec/KEY.flv (application "live", or the
# one named in $rtmp_app); stop_rtmp ends it.
# Calls "fail" (the caller's) when a port does not open.
nginx_pid=""

# nginx in the foreground, one server block per port, recording every publish into $1.
start_rtmp() {
  dir="$1"; shift
  mkdir -p "$dir/rec"
  { echo "load_module /usr/lib/nginx/modules/ngx_rtmp_module.so;"
    echo "daemon off; master_process off; worker_processes 1; pid $dir/nginx.pid; error_log $dir/error.log info;"
    echo "events { worker_connections 128; }"
    echo "rtmp {"
    for port in "$@"; do
      echo "  server { listen 127.0.0.1:$port; application ${rtmp_app:-live} { live on; record all; record_path $dir/rec; } }"
    done
    echo "}"; } > "$dir/nginx.conf"
  timeout 120 nginx -p "$dir" -e "$dir/error.log" -c "$dir/nginx.conf" </dev/null >/dev/null 2>&1 &
  nginx_pid=$!
  i=0
  for port in "$@"; do
    until ss -ltn | grep -q "127.0.0.1:$port "; do
      i=$((i + 1)); [ $i -gt 100 ] && { fail "nginx listens on $port"; return 1; }; sleep 0.1
    done
  done
}
stop_rtmp() { [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null; wait "$nginx_pid" 2>/dev/null; nginx_pid=""; }
