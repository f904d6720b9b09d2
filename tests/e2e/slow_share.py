#!/usr/bin/python3
"""A folder that answers as a share on a slow or dead network does.

    slow_share.py BACKING MOUNTPOINT [LOOKUP_S READ_S]

Mounts BACKING read-only at MOUNTPOINT (FUSE, in the foreground) and holds
up two kinds of request, as Windows meets them on a network:
  dead/...  a look-up of a name waits LOOKUP_S seconds (8) and then finds
            nothing, as for a server that is switched off; the same name
            asked again within a quarter of a second of that answer (Wine
            asks twice for a name it does not find) is answered with it, and
            so are Wine's own probes of the folder (names with a leading dot);
  slow/...  every read waits READ_S seconds (0.4): a slow link, or a file
            still in the cloud. Reads reach this program one by one (direct
            I/O), so a reader's every call waits.
Everything else answers at once. The file "ready" appears in the root once
the folder is mounted.
"""
import errno
import os
import sys
import threading
import time

import fusepy


class SlowShare(fusepy.Operations):
    use_ns = True

    def __init__(self, backing, lookup_s, read_s):
        self.backing = backing
        self.lookup_s = lookup_s
        self.read_s = read_s
        self.lock = threading.Lock()
        self.answered_at = {}  # name: when its look-up under way is answered

    def _wait_as_dead(self, path):
        if os.path.basename(path).startswith("."):
            return
        now = time.monotonic()
        with self.lock:
            until = self.answered_at.get(path, -60.0)
            if now > until + 0.25:
                until = self.answered_at[path] = now + self.lookup_s
        time.sleep(max(0.0, until - now))

    def _real(self, path):
        return os.path.join(self.backing, path.lstrip("/"))

    def getattr(self, path, fh=None):
        if path == "/ready":
            return dict(st_mode=0o100444, st_nlink=1, st_size=0)
        if path.startswith("/dead/"):
            self._wait_as_dead(path)
            raise fusepy.FuseOSError(errno.ENOENT)
        try:
            st = os.lstat(self._real(path))
        except OSError as e:
            raise fusepy.FuseOSError(e.errno)
        keys = ("st_mode", "st_nlink", "st_size", "st_uid", "st_gid", "st_atime_ns", "st_mtime_ns", "st_ctime_ns")
        out = {k: getattr(st, k) for k in keys}
        for k in ("st_atime", "st_mtime", "st_ctime"):
            out[k] = out.pop(k + "_ns")
        return out

    def readdir(self, path, fh):
        names = [] if path == "/dead" else os.listdir(self._real(path))
        return [".", ".."] + names + (["ready"] if path == "/" else [])

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise fusepy.FuseOSError(errno.EROFS)
        if path == "/ready":
            return 0
        return os.open(self._real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        if path == "/ready":
            return b""
        if path.startswith("/slow/"):
            time.sleep(self.read_s)
        os.lseek(fh, offset, os.SEEK_SET)
        return os.read(fh, size)

    def release(self, path, fh):
        if path != "/ready":
            os.close(fh)
        return 0

    def statfs(self, path):
        return dict(f_bsize=4096, f_frsize=4096, f_blocks=1 << 20, f_bfree=0, f_bavail=0, f_namemax=255)


def main():
    if len(sys.argv) not in (3, 5):
        sys.exit(__doc__)
    lookup_s, read_s = (float(sys.argv[3]), float(sys.argv[4])) if len(sys.argv) == 5 else (8.0, 0.4)
    fusepy.FUSE(SlowShare(sys.argv[1], lookup_s, read_s), sys.argv[2], foreground=True, ro=True, direct_io=True,
                allow_other=True)


if __name__ == "__main__":
    main()
