#!/usr/bin/python3
"""A folder that answers as a share on a slow or dead network does.

    slow_share.py BACKING MOUNTPOINT

Mounts BACKING read-only at MOUNTPOINT (FUSE, in the foreground); two folders
hold requests up, as Windows meets them on a network:
  dead/  nothing is found, and a look-up of an MP3 waits 8 s first, as for
         a server that is switched off; the same name asked again within a
         second (Wine asks more than once for a name it does not find) is
         answered with it, and the names Wine and the shell probe a folder
         for (.ciopfs, desktop.ini) at once;
  slow/  every read waits 0.4 s: a slow link, or a file still in the cloud.
         Reads come one by one (direct I/O), so every call of a reader waits.
"""
import errno
import os
import sys
import threading
import time

import fusepy

LOOKUP_S, READ_S = 8.0, 0.4


class SlowShare(fusepy.Operations):
    use_ns = True

    def __init__(self, backing):
        self.backing = backing
        self.lock = threading.Lock()
        self.answered_at = {}  # name: when its look-up under way is answered

    def getattr(self, path, fh=None):
        if path.startswith("/dead/"):
            if path.endswith(".mp3"):
                now = time.monotonic()
                with self.lock:
                    until = self.answered_at.get(path, -60.0)
                    if now > until + 1.0:
                        until = self.answered_at[path] = now + LOOKUP_S
                time.sleep(max(0.0, until - now))
            raise fusepy.FuseOSError(errno.ENOENT)
        try:
            st = os.lstat(self.backing + path)
        except OSError as e:
            raise fusepy.FuseOSError(e.errno)
        return dict(st_mode=st.st_mode, st_nlink=st.st_nlink, st_size=st.st_size, st_mtime=st.st_mtime_ns)

    def readdir(self, path, fh):
        return [".", ".."] + ([] if path == "/dead" else os.listdir(self.backing + path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise fusepy.FuseOSError(errno.EROFS)
        return os.open(self.backing + path, os.O_RDONLY)

    def read(self, path, size, offset, fh):
        if path.startswith("/slow/"):
            time.sleep(READ_S)
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    fusepy.FUSE(SlowShare(sys.argv[1]), sys.argv[2], foreground=True, ro=True, direct_io=True, allow_other=True)
