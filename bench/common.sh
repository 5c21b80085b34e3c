# What the benchmark scripts share; sourced by them.

# Installs the Debian packages named that are missing.
install_missing() { # package...
  local need=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || need+=("$pkg")
  done
  ((${#need[@]})) || return 0
  local sudo_cmd=(); [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
}

# Configures a Release tree when there is none and builds the targets named.
build_targets() { # build_dir target...
  local dir=$1; shift
  source scripts/setup.sh
  [[ -f $dir/build.ninja ]] || cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
  cmake --build "$dir" --target "$@"
}

# A settings file of the default settings that saves into the given folder.
write_default_settings() { # ini out_folder
  python3 - "$1" "$2" <<'PY'
import sys
path, folder = sys.argv[1], sys.argv[2]
keys = [("幅"," 128"),("高さ"," 128"),("比率構成"," 3"),("ファイル種類"," 0"),("圧縮率"," 100"),
        ("余白色"," 0"),("画質"," 3"),("先頭文字","Thumb_"),("保存フォルダ",folder),("同一名"," 0")]
text = "[Section]\r\n" + "".join(f"{k}={v}\r\n" for k, v in keys)
open(path, "wb").write(text.encode("cp932"))
PY
}

# A scratch folder, removed on exit, and default settings saving into its
# out/: sets work, out and ini.
make_work() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  out=$work/out; mkdir -p "$out"
  ini=$work/Tessarolith.ini
  write_default_settings "$ini" "$out"
}

ratio() { python3 -c "import sys; print(f'{float(sys.argv[1])/float(sys.argv[2]):.2f}')" "$1" "$2"; }

# Median wall time of three runs of a command, in ms per picture.
ms_per() { # count command...
  local n=$1; shift
  python3 - "$n" "$@" <<'PY'
import subprocess, sys, time
n, cmd = int(sys.argv[1]), sys.argv[2:]
runs = []
for _ in range(3):
    t = time.perf_counter()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
    runs.append(time.perf_counter() - t)
print(f"{sorted(runs)[1] * 1000 / n:.1f}")
PY
}

peak_kb() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }
